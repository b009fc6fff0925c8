#pragma once

#include <cstdint>

namespace kelvo {

// Result of every component-layer call. The values are the ones COM uses, so a
// negative code is a failure and callers that test the sign keep working.
using ResultCode = std::int32_t;

namespace results {
inline constexpr ResultCode Ok = 0;
inline constexpr ResultCode False = 1;
inline constexpr ResultCode NotImplemented = static_cast<ResultCode>(0x80004001u);
inline constexpr ResultCode NoInterface = static_cast<ResultCode>(0x80004002u);
inline constexpr ResultCode NullPointer = static_cast<ResultCode>(0x80004003u);
inline constexpr ResultCode Fail = static_cast<ResultCode>(0x80004005u);
inline constexpr ResultCode Unexpected = static_cast<ResultCode>(0x8000FFFFu);
inline constexpr ResultCode FileNotFound = static_cast<ResultCode>(0x80070002u);
inline constexpr ResultCode OutOfMemory = static_cast<ResultCode>(0x8007000Eu);
inline constexpr ResultCode WriteFault = static_cast<ResultCode>(0x8007001Du);
inline constexpr ResultCode InvalidArgument = static_cast<ResultCode>(0x80070057u);
inline constexpr ResultCode ModuleNotFound = static_cast<ResultCode>(0x8007007Eu);
inline constexpr ResultCode ProcedureNotFound = static_cast<ResultCode>(0x8007007Fu);
inline constexpr ResultCode NoAggregation = static_cast<ResultCode>(0x80040110u);
inline constexpr ResultCode ClassNotAvailable = static_cast<ResultCode>(0x80040111u);
inline constexpr ResultCode ClassNotRegistered = static_cast<ResultCode>(0x80040154u);
inline constexpr ResultCode WrongThread = static_cast<ResultCode>(0x8001010Eu);
inline constexpr ResultCode MemberNotFound = static_cast<ResultCode>(0x80020003u);
inline constexpr ResultCode TypeMismatch = static_cast<ResultCode>(0x80020005u);
inline constexpr ResultCode Overflow = static_cast<ResultCode>(0x8002000Au);
inline constexpr ResultCode BadIndex = static_cast<ResultCode>(0x8002000Bu);
inline constexpr ResultCode BadParameterCount = static_cast<ResultCode>(0x8002000Eu);
} // namespace results

constexpr bool Succeeded(ResultCode result) {
    return result >= 0;
}
constexpr bool Failed(ResultCode result) {
    return result < 0;
}

} // namespace kelvo
