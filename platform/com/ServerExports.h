#pragma once

// The four entry points of a component library. A library defines them with
// KELVO_SERVER_EXPORT so that they stay visible when everything else is hidden.

#include "platform/com/Guid.h"
#include "platform/com/Result.h"

#define KELVO_SERVER_EXPORT extern "C" __attribute__((visibility("default")))

namespace kelvo {
using RegisterServerFunction = ResultCode (*)();
using GetClassObjectFunction = ResultCode (*)(const Guid* classId, const Guid* interfaceId,
                                              void** object);
using CanUnloadNowFunction = ResultCode (*)();
} // namespace kelvo
