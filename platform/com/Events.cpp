#include "platform/com/Events.h"

#include "platform/com/Variant.h"

#include <algorithm>

namespace kelvo {

ResultCode EventSinkList::Connect(EventSink* sink, std::uint32_t* cookie) {
    if (!sink || !cookie)
        return results::NullPointer;
    *cookie = nextCookie_++;
    sinks_.emplace_back(*cookie, ComPointer<EventSink>(sink));
    return results::Ok;
}

ResultCode EventSinkList::Disconnect(std::uint32_t cookie) {
    const auto found = std::find_if(sinks_.begin(), sinks_.end(),
                                    [cookie](const auto& entry) { return entry.first == cookie; });
    if (found == sinks_.end())
        return results::InvalidArgument;
    sinks_.erase(found);
    return results::Ok;
}

void EventSinkList::Fire(std::int32_t position, std::span<Variant> arguments) {
    const auto sinks = sinks_;
    for (const auto& [cookie, sink] : sinks)
        sink->OnEvent(position, arguments);
}

} // namespace kelvo
