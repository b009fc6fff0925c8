#include "platform/com/Variant.h"

#include <cmath>
#include <limits>

namespace kelvo {

bool Variant::WholeNumber(std::int64_t* number) const {
    if (const auto* shortValue = std::get_if<std::int16_t>(&value_)) {
        *number = *shortValue;
        return true;
    }
    if (const auto* integer = std::get_if<std::int32_t>(&value_)) {
        *number = *integer;
        return true;
    }
    return false;
}

ResultCode Variant::ToBoolean(bool* value) const {
    if (const auto* boolean = std::get_if<bool>(&value_)) {
        *value = *boolean;
        return results::Ok;
    }
    std::int64_t number = 0;
    if (WholeNumber(&number)) {
        *value = number != 0;
        return results::Ok;
    }
    return results::TypeMismatch;
}

ResultCode Variant::ToShort(std::int16_t* value) const {
    std::int32_t integer = 0;
    const ResultCode result = ToInteger(&integer);
    if (Failed(result))
        return result;
    if (integer < std::numeric_limits<std::int16_t>::min() ||
        integer > std::numeric_limits<std::int16_t>::max())
        return results::Overflow;
    *value = static_cast<std::int16_t>(integer);
    return results::Ok;
}

ResultCode Variant::ToInteger(std::int32_t* value) const {
    std::int64_t number = 0;
    if (WholeNumber(&number)) {
        *value = static_cast<std::int32_t>(number);
        return results::Ok;
    }
    if (const auto* real = std::get_if<double>(&value_)) {
        // Rounds as automation does; NaN and values beyond 32 bits do not fit.
        const double rounded = std::nearbyint(*real);
        if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
              rounded <= std::numeric_limits<std::int32_t>::max()))
            return results::Overflow;
        *value = static_cast<std::int32_t>(rounded);
        return results::Ok;
    }
    return results::TypeMismatch;
}

ResultCode Variant::ToDouble(double* value) const {
    if (const auto* real = std::get_if<double>(&value_)) {
        *value = *real;
        return results::Ok;
    }
    std::int64_t number = 0;
    if (WholeNumber(&number)) {
        *value = static_cast<double>(number);
        return results::Ok;
    }
    return results::TypeMismatch;
}

ResultCode Variant::ToText(std::string* value) const {
    if (const auto* text = std::get_if<std::string>(&value_)) {
        *value = *text;
        return results::Ok;
    }
    if (const auto* reference = std::get_if<std::string*>(&value_)) {
        if (!*reference)
            return results::NullPointer;
        *value = **reference;
        return results::Ok;
    }
    return results::TypeMismatch;
}

ResultCode Variant::ToObject(ComPointer<Dispatch>* value) const {
    if (const auto* object = std::get_if<ComPointer<Dispatch>>(&value_)) {
        *value = *object;
        return results::Ok;
    }
    return results::TypeMismatch;
}

ResultCode Variant::ToBytes(std::vector<std::uint8_t>* value) const {
    if (const auto* bytes = std::get_if<std::vector<std::uint8_t>>(&value_)) {
        *value = *bytes;
        return results::Ok;
    }
    return results::TypeMismatch;
}

ResultCode Variant::ToTextReference(std::string** value) const {
    if (const auto* reference = std::get_if<std::string*>(&value_)) {
        if (!*reference)
            return results::NullPointer;
        *value = *reference;
        return results::Ok;
    }
    return results::TypeMismatch;
}

ResultCode ExpectArguments(std::span<const Variant> arguments, std::size_t count) {
    return arguments.size() == count ? results::Ok : results::BadParameterCount;
}

ResultCode ReturnProperty(std::span<const Variant> arguments, Variant* result, Variant value) {
    if (ResultCode check = ExpectArguments(arguments, 0); Failed(check))
        return check;
    if (result)
        *result = std::move(value);
    return results::Ok;
}

ResultCode BooleanProperty(bool* field, InvokeKind kind, std::span<Variant> arguments,
                           Variant* result) {
    if (kind == InvokeKind::PropertyGet)
        return ReturnProperty(arguments, result, Variant(*field));
    if (kind != InvokeKind::PropertyPut)
        return results::MemberNotFound;
    if (ResultCode check = ExpectArguments(arguments, 1); Failed(check))
        return check;
    return arguments[0].ToBoolean(field);
}

ResultCode CallMethod(Dispatch* object, std::int32_t dispatchId, std::vector<Variant> arguments,
                      Variant* result) {
    if (!object)
        return results::NullPointer;
    return object->Invoke(dispatchId, InvokeKind::Method, arguments, result);
}

ResultCode GetProperty(Dispatch* object, std::int32_t dispatchId, Variant* result) {
    if (!object)
        return results::NullPointer;
    return object->Invoke(dispatchId, InvokeKind::PropertyGet, {}, result);
}

ResultCode PutProperty(Dispatch* object, std::int32_t dispatchId, Variant value) {
    if (!object)
        return results::NullPointer;
    return object->Invoke(dispatchId, InvokeKind::PropertyPut, std::span<Variant>(&value, 1),
                          nullptr);
}

} // namespace kelvo
