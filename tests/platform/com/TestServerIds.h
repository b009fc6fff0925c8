#pragma once

#include "platform/com/Guid.h"

#include <cstdint>

namespace kelvo::test_server {
inline constexpr Guid CounterClassId = GuidLiteral("{7F351F46-80FC-485F-9AD8-17108ED16C8E}");
inline constexpr const char* CounterProgId = "Kelvo.TestCounter";
// Method: adds a 32-bit amount, gives the new total.
inline constexpr std::int32_t AddMember = 1;
// Method: appends " counted" to a text passed by reference.
inline constexpr std::int32_t NameMember = 2;
} // namespace kelvo::test_server
