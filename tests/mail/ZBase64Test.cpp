#include "monitor/mail/ZBase64.h"
#include "tests/support/CaseName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
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

// Decoding one alphabet character at a time, as the codec is defined: the
// yardstick for a decoder that joins whole groups where it can.
std::string GatheringDecode(const std::string& text) {
    static const std::string alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    long produce = static_cast<long>(text.size() / 4) * 3;
    produce -= !text.empty() && text.back() == '=' ? 1 : 0;
    produce -= text.size() >= 2 && text[text.size() - 2] == '=' ? 1 : 0;
    std::string decoded(static_cast<std::size_t>(std::max(produce, 0L)), '\0');
    std::size_t position = 0;
    std::size_t out = 0;
    auto next = [&](std::uint32_t& value, bool skip) {
        while (position < text.size()) {
            const std::size_t found = alphabet.find(text[position++]);
            if (found != std::string::npos) {
                value = (value << 6) | static_cast<std::uint32_t>(found);
                return true;
            }
            if (!skip) {
                return true;
            }
        }
        return false;
    };
    for (long group = 0; group < produce / 3; ++group) {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            if (!next(value, true)) {
                return decoded.substr(0, std::strlen(decoded.c_str()));
            }
        }
        decoded[out++] = static_cast<char>(value >> 16);
        decoded[out++] = static_cast<char>(value >> 8);
        decoded[out++] = static_cast<char>(value);
    }
    if (produce > 0 && produce % 3 != 0) {
        std::uint32_t value = 0;
        const int take = produce % 3 == 1 ? 2 : 3;
        int taken = 0;
        while (taken < take && next(value, false)) {
            ++taken;
        }
        if (taken == take && produce % 3 == 1) {
            decoded[out] = static_cast<char>(value >> 4);
        } else if (taken == take) {
            decoded[out] = static_cast<char>(value >> 10);
            decoded[out + 1] = static_cast<char>(value >> 2);
        }
    }
    return decoded.substr(0, std::strlen(decoded.c_str()));
}

TEST(Base64Decode, StrayCharactersAnywhereDecodeAsOneCharacterAtATime) {
    std::mt19937 random(76);
    const std::string strays = "\r\n =*\x80\xFF-";
    std::uniform_int_distribution<std::size_t> pick(0, strays.size() - 1);
    for (int round = 0; round < 400; ++round) {
        std::string text = ZBase64::Encode(RandomText(random, 1 + round % 97));
        // Strays at random places, more of them as the rounds go on.
        for (int stray = 0; stray < round % 9; ++stray) {
            const std::size_t at =
                std::uniform_int_distribution<std::size_t>(0, text.size())(random);
            text.insert(at, 1, strays[pick(random)]);
        }
        ASSERT_EQ(ZBase64::DecodeText(text.c_str()), GatheringDecode(text)) << text;
    }
}

} // namespace
} // namespace kelvo
