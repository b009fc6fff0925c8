#include "plotframe/ChartCalls.h"

namespace kelvo::chart_calls {

namespace {

template <class Value, class Convert>
ResultCode Read(ResultCode called, const Variant& value, Value* result, Convert convert) {
    if (Failed(called))
        return called;
    return (value.*convert)(result);
}

} // namespace

ResultCode GetObject(Dispatch* object, std::int32_t id, ComPointer<Dispatch>* result) {
    Variant value;
    const ResultCode called = GetProperty(object, id, &value);
    return Read(called, value, result, &Variant::ToObject);
}

ResultCode CallObject(Dispatch* object, std::int32_t id, std::vector<Variant> arguments,
                      ComPointer<Dispatch>* result) {
    Variant value;
    const ResultCode called = CallMethod(object, id, std::move(arguments), &value);
    return Read(called, value, result, &Variant::ToObject);
}

ResultCode GetInteger(Dispatch* object, std::int32_t id, std::int32_t* result) {
    Variant value;
    const ResultCode called = GetProperty(object, id, &value);
    return Read(called, value, result, &Variant::ToInteger);
}

ResultCode CallInteger(Dispatch* object, std::int32_t id, std::vector<Variant> arguments,
                       std::int32_t* result) {
    Variant value;
    const ResultCode called = CallMethod(object, id, std::move(arguments), &value);
    return Read(called, value, result, &Variant::ToInteger);
}

ResultCode GetDouble(Dispatch* object, std::int32_t id, double* result) {
    Variant value;
    const ResultCode called = GetProperty(object, id, &value);
    return Read(called, value, result, &Variant::ToDouble);
}

ResultCode CallDouble(Dispatch* object, std::int32_t id, std::vector<Variant> arguments,
                      double* result) {
    Variant value;
    const ResultCode called = CallMethod(object, id, std::move(arguments), &value);
    return Read(called, value, result, &Variant::ToDouble);
}

} // namespace kelvo::chart_calls
