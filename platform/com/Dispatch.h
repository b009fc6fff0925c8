#pragma once

#include "platform/com/Unknown.h"

#include <cstdint>
#include <span>

namespace kelvo {

class Variant;

enum class InvokeKind { Method, PropertyGet, PropertyPut };

// Late binding: a member is reached by its dispatch id. Arguments come in the
// order the member declares them; a text passed by reference is a Variant
// holding a std::string* that the member may change. A property put takes its
// value as the last argument. The result may be null when the caller wants none.
// An unknown id gives MemberNotFound, a wrong count BadParameterCount and a
// value that does not convert TypeMismatch.
class Dispatch : public Unknown {
public:
    static constexpr Guid InterfaceId = GuidLiteral("{00020400-0000-0000-C000-000000000046}");

    virtual ResultCode Invoke(std::int32_t dispatchId, InvokeKind kind,
                              std::span<Variant> arguments, Variant* result) = 0;

protected:
    ~Dispatch() = default;
};

} // namespace kelvo
