#include "platform/com/Events.h"

#include "platform/com/Variant.h"

#include <gtest/gtest.h>

#include <functional>

namespace kelvo {
namespace {

class RecordingSink final : public Object<EventSink> {
public:
    std::function<void(std::int32_t, std::span<Variant>)> onEvent;
    ResultCode OnEvent(std::int32_t position, std::span<Variant> arguments) override {
        onEvent(position, arguments);
        return results::Ok;
    }
};

TEST(EventsTest, SinksSeeEventsUntilTheyDisconnectEvenFromInsideAnEvent) {
    EventSinkList list;
    ComPointer<RecordingSink> first(new RecordingSink);
    ComPointer<RecordingSink> second(new RecordingSink);
    std::vector<std::string> seen;
    std::uint32_t firstCookie = 0;
    std::uint32_t secondCookie = 0;
    first->onEvent = [&](std::int32_t position, std::span<Variant>) {
        seen.push_back("first " + std::to_string(position));
        list.Disconnect(firstCookie);
    };
    second->onEvent = [&](std::int32_t position, std::span<Variant> arguments) {
        seen.push_back("second " + std::to_string(position));
        std::string* label = nullptr;
        if (arguments.size() == 1 && Succeeded(arguments[0].ToTextReference(&label)))
            *label += " Index: 3";
    };
    ASSERT_EQ(list.Connect(first.Get(), &firstCookie), results::Ok);
    ASSERT_EQ(list.Connect(second.Get(), &secondCookie), results::Ok);

    std::string label = "12.5";
    Variant arguments[] = {Variant(&label)};
    list.Fire(37, arguments);
    list.Fire(9, {});

    EXPECT_EQ(seen, (std::vector<std::string>{"first 37", "second 37", "second 9"}));
    EXPECT_EQ(label, "12.5 Index: 3");
    EXPECT_EQ(list.Disconnect(firstCookie), results::InvalidArgument);
    EXPECT_EQ(list.Connect(nullptr, &firstCookie), results::NullPointer);
}

} // namespace
} // namespace kelvo
