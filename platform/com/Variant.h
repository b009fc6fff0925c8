#pragma once

#include "platform/com/Dispatch.h"

#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace kelvo {

enum class VariantType {
    Empty,
    Boolean,
    Short,
    Integer,
    Double,
    Text,
    TextReference,
    Object,
    Bytes
};

// One argument or result of a dispatch call.
class Variant {
public:
    Variant() = default;
    Variant(bool value) : value_(value) {}
    Variant(std::int16_t value) : value_(value) {}
    Variant(std::int32_t value) : value_(value) {}
    Variant(double value) : value_(value) {}
    Variant(std::string value) : value_(std::move(value)) {}
    Variant(const char* value) : value_(std::string(value)) {}
    // By reference: the callee may change the caller's text.
    Variant(std::string* reference) : value_(reference) {}
    Variant(ComPointer<Dispatch> object) : value_(std::move(object)) {}
    Variant(std::vector<std::uint8_t> bytes) : value_(std::move(bytes)) {}

    VariantType Type() const { return static_cast<VariantType>(value_.index()); }
    bool IsEmpty() const { return Type() == VariantType::Empty; }

    // Conversions a member applies to its arguments; TypeMismatch when the value
    // does not convert, Overflow when a number does not fit.
    ResultCode ToBoolean(bool* value) const;
    ResultCode ToShort(std::int16_t* value) const;
    ResultCode ToInteger(std::int32_t* value) const;
    ResultCode ToDouble(double* value) const;
    ResultCode ToText(std::string* value) const;
    ResultCode ToObject(ComPointer<Dispatch>* value) const;
    ResultCode ToBytes(std::vector<std::uint8_t>* value) const;
    // The caller's text behind a by-reference argument, or TypeMismatch.
    ResultCode ToTextReference(std::string** value) const;

private:
    // Short and Integer, read as one wider number.
    bool WholeNumber(std::int64_t* number) const;

    std::variant<std::monostate, bool, std::int16_t, std::int32_t, double, std::string,
                 std::string*, ComPointer<Dispatch>, std::vector<std::uint8_t>>
        value_;
};

// BadParameterCount unless exactly count arguments were passed.
ResultCode ExpectArguments(std::span<const Variant> arguments, std::size_t count);

// Server-side shorthands for Invoke. A property get takes no arguments and
// hands out value, when the caller asks for it.
ResultCode ReturnProperty(std::span<const Variant> arguments, Variant* result, Variant value);
// A property get or put of a plain field; a put integer must satisfy bound.
template <class Bound>
ResultCode IntegerProperty(std::int32_t* field, InvokeKind kind, std::span<Variant> arguments,
                           Variant* result, Bound bound) {
    if (kind == InvokeKind::PropertyGet)
        return ReturnProperty(arguments, result, Variant(*field));
    if (kind != InvokeKind::PropertyPut)
        return results::MemberNotFound;
    if (ResultCode check = ExpectArguments(arguments, 1); Failed(check))
        return check;
    std::int32_t value = 0;
    if (ResultCode check = arguments[0].ToInteger(&value); Failed(check))
        return check;
    if (!bound(value))
        return results::InvalidArgument;
    *field = value;
    return results::Ok;
}
ResultCode BooleanProperty(bool* field, InvokeKind kind, std::span<Variant> arguments,
                           Variant* result);

// Caller-side shorthands for Invoke.
ResultCode CallMethod(Dispatch* object, std::int32_t dispatchId, std::vector<Variant> arguments,
                      Variant* result = nullptr);
ResultCode GetProperty(Dispatch* object, std::int32_t dispatchId, Variant* result);
ResultCode PutProperty(Dispatch* object, std::int32_t dispatchId, Variant value);

} // namespace kelvo
