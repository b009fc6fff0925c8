// The pure text rules of the mail client: where a reply ends, and how a
// recipient text splits.
#include "monitor/mail/SmtpReply.h"
#include "monitor/mail/SplitText.h"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

TEST(WholeReplyLengthTest, WaitsForTheLastLineOfAReply) {
    const struct {
        std::string_view received;
        std::size_t length;
    } cases[] = {
        {"", 0},
        {"220 ready", 0},
        {"220 ready\r\n", 11},
        {"220\r\n", 5},
        {"250-kelvo.test\r\n", 0},
        {"250-kelvo.test\r\n250-AU", 0},
        {"250-kelvo.test\r\n250 AUTH LOGIN\r\n", 32},
        {"250 OK\r\n354 next", 8}, // what follows belongs to the next reply
        {"250 OK\n", 7},
        {"garbage\r\n", 9},
    };
    for (const auto& example : cases) {
        EXPECT_EQ(WholeReplyLength(example.received), example.length) << example.received;
    }
}

TEST(ReplyHasCodeTest, ComparesTheFirstThreeBytes) {
    EXPECT_TRUE(ReplyHasCode("250-kelvo.test\r\n250 OK\r\n", "250"));
    EXPECT_FALSE(ReplyHasCode("251 OK\r\n", "250"));
    EXPECT_FALSE(ReplyHasCode("25", "250"));
    EXPECT_FALSE(ReplyHasCode("", "250"));
}

TEST(SplitTextTest, SplitsRecipientTexts) {
    using List = std::deque<std::string>;
    const struct {
        std::string text;
        std::string separator;
        List items;
    } cases[] = {
        {"a@x.test,b@y.test", ",", {"a@x.test", "b@y.test"}},
        {"a@x.test,b@y.test,", ",", {"a@x.test", "b@y.test"}},
        {"a@x.test, b@y.test", ",", {"a@x.test", " b@y.test"}},
        {"a@x.test,,b@y.test", ",", {"a@x.test", "", "b@y.test"}},
        {",", ",", {","}},
        {"", ",", {}},
        {"a", ",", {}},
        {"ab", ",", {"ab"}},
        {"a;;b", ";;", {"a", "b"}},
        {"a,b", "", {"a,b"}}, // an empty separator would be found for ever
    };
    for (const auto& example : cases) {
        EXPECT_EQ(SplitText(example.text, example.separator), example.items)
            << '"' << example.text << "\" at \"" << example.separator << '"';
    }
}

} // namespace
} // namespace kelvo
