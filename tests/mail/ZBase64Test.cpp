#include "monitor/mail/ZBase64.h"
#include "tests/support/CaseName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace kelvo {
namespace {

// Random bytes with no zero among them, so that EncodeText can take them too.
std::string RandomText(std::mt19937& random, std::size_t length) {
    std::uniform_int_distribution<int> byte(1, 255);
    std::string text(length, '\0');
    std::generate(text.begin(), text.end(), [&] { return static_cast<char>(byte(random)); });
    return text;
}

struct EncodeCase {
    std::string bytes;
    std::string expected;
};

class Base64Encode : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(Base64Encode, MatchesTheStandardVectors) {
    EXPECT_EQ(ZBase64::Encode(GetParam().bytes), GetParam().expected);
    if (GetParam().bytes.find('\0') == std::string::npos) {
        EXPECT_EQ(ZBase64::EncodeText(GetParam().bytes.c_str()), GetParam().expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Vectors, Base64Encode,
                         ::testing::Values(EncodeCase{"", ""}, EncodeCase{"f", "Zg=="},
                                           EncodeCase{"fo", "Zm8="}, EncodeCase{"foo", "Zm9v"},
                                           EncodeCase{"foobar", "Zm9vYmFy"},
                                           EncodeCase{std::string(1, '\0'), "AA=="},
                                           EncodeCase{std::string("a\0b", 3), "YQBi"},
                                           EncodeCase{"\xFB\xFF", "+/8="},
                                           EncodeCase{"\xFF\xFF\xFF", "////"}),
                         [](const auto& info) { return testing::CaseName(info.param.bytes); });

TEST(Base64Encode, BreaksLinesAfterEvery76CharactersOnly) {
    std::mt19937 random(57);
    const struct {
        std::size_t count;
        std::size_t size;
        const char* ending;
    } cases[] = {
        {56, 76, "A="},       // 18 groups and a two-byte remainder: no line break
        {57, 78, "\r\n"},     // one full line
        {58, 82, "=="},       // the remainder follows the line break
        {11400, 15600, "\n"}, // an attachment block: 200 whole lines
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.count);
        std::string data = RandomText(random, test.count);
        if (test.count == 56) {
            data.back() = '\x10'; // fixes the last character before the pad
        }
        const std::string encoded = ZBase64::Encode(data);
        const std::string unbroken = ZBase64::EncodeText(data.c_str());
        ASSERT_EQ(encoded.size(), test.size);

        std::string expected;
        const std::size_t lines = test.count / 57;
        for (std::size_t line = 0; line < lines; ++line) {
            expected += unbroken.substr(line * 76, 76) + "\r\n";
        }
        expected += unbroken.substr(lines * 76);
        EXPECT_EQ(encoded, expected);
        EXPECT_TRUE(encoded.ends_with(test.ending)) << encoded.substr(encoded.size() - 4);
    }
}

TEST(Base64Encode, TextStaysOnOneLine) {
    const std::string encoded = ZBase64::EncodeText(std::string(100, 'x').c_str());
    EXPECT_EQ(encoded.size(), 136u);
    EXPECT_EQ(encoded.find_first_of("\r\n"), std::string::npos);
}

struct DecodeCase {
    const char* text;
    std::string expected;
};

class Base64Decode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(Base64Decode, GivesTheTextBeforeAnyZeroByte) {
    EXPECT_EQ(ZBase64::DecodeText(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Base64Decode,
    ::testing::Values(DecodeCase{"", ""}, DecodeCase{"Zm9", ""}, DecodeCase{"Zg==", "f"},
                      DecodeCase{"Zm8=", "fo"}, DecodeCase{"Zm9vYmFy", "foobar"},
                      // Line breaks, blanks and stray pads are passed over.
                      DecodeCase{"Zm9v\r\nYmFy", "foobar"}, DecodeCase{"Zm 9v", "foo"},
                      DecodeCase{"Z=m9vYmF", "foo"},
                      // "a", zero, "b": the text ends at the zero byte.
                      DecodeCase{"YQBi", "a"}, DecodeCase{"AGFi", ""},
                      // Too few alphabet characters: the bytes that cannot be filled end it.
                      DecodeCase{"Zm9v====", "foo"}, DecodeCase{"Zm======", ""},
                      // Bytes from 128 up come back as they were.
                      DecodeCase{"+/8=", "\xFB\xFF"}),
    [](const auto& info) { return testing::CaseName(info.param.text); });

TEST(Base64Decode, ReturnsAnyTextWithoutZeroBytesThatWasEncoded) {
    std::mt19937 random(2045);
    for (std::size_t length = 0; length < 300; ++length) {
        const std::string text = RandomText(random, length);
        const std::string encoded = ZBase64::EncodeText(text.c_str());
        ASSERT_EQ(encoded.size(), (length + 2) / 3 * 4);
        ASSERT_EQ(ZBase64::DecodeText(encoded.c_str()), text) << "length " << length;
    }
}

} // namespace
} // namespace kelvo
