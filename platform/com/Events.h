#pragma once

#include "platform/com/Unknown.h"

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace kelvo {

class Variant;

// Receives a control's events. An event is named by its position in the control's
// event interface, counting from 0; by-reference arguments may be changed.
class EventSink : public Unknown {
public:
    static constexpr Guid InterfaceId = GuidLiteral("{E03C1A3B-46D6-40EF-ABCA-D968E9F983E2}");

    virtual ResultCode OnEvent(std::int32_t position, std::span<Variant> arguments) = 0;

protected:
    ~EventSink() = default;
};

// The control's side: sinks connect and disconnect by a cookie.
class EventSource : public Unknown {
public:
    static constexpr Guid InterfaceId = GuidLiteral("{08625B18-F33C-47B4-8437-E50F03B5C006}");

    virtual ResultCode Connect(EventSink* sink, std::uint32_t* cookie) = 0;
    virtual ResultCode Disconnect(std::uint32_t cookie) = 0;

protected:
    ~EventSource() = default;
};

// The sinks of one source, for the source's implementation.
class EventSinkList {
public:
    ResultCode Connect(EventSink* sink, std::uint32_t* cookie);
    ResultCode Disconnect(std::uint32_t cookie);
    bool IsEmpty() const { return sinks_.empty(); }

    // Calls every sink in connection order. A sink may connect or disconnect
    // while it runs: the call goes to the sinks connected when firing began.
    void Fire(std::int32_t position, std::span<Variant> arguments);

private:
    std::vector<std::pair<std::uint32_t, ComPointer<EventSink>>> sinks_;
    std::uint32_t nextCookie_ = 1;
};

} // namespace kelvo
