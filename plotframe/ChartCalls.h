#pragma once

#include "platform/com/Dispatch.h"
#include "platform/com/Variant.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kelvo::chart_calls {

// Late-bound calls on the hosted chart and its sub-objects that read their
// result as one type. Each gives the call's failure, or TypeMismatch when the
// result is not of that type.
ResultCode GetObject(Dispatch* object, std::int32_t id, ComPointer<Dispatch>* result);
ResultCode CallObject(Dispatch* object, std::int32_t id, std::vector<Variant> arguments,
                      ComPointer<Dispatch>* result);
ResultCode GetInteger(Dispatch* object, std::int32_t id, std::int32_t* result);
ResultCode CallInteger(Dispatch* object, std::int32_t id, std::vector<Variant> arguments,
                       std::int32_t* result);
ResultCode GetDouble(Dispatch* object, std::int32_t id, double* result);
ResultCode CallDouble(Dispatch* object, std::int32_t id, std::vector<Variant> arguments,
                      double* result);

} // namespace kelvo::chart_calls
