#include "platform/com/Guid.h"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

TEST(GuidTest, TextRoundTripsInUpperCase) {
    const auto guid = ParseGuid("{3f2c9a61-5d7e-4b0a-9e41-7c2d18f0b5a3}");
    ASSERT_TRUE(guid);
    EXPECT_EQ(guid->data1, 0x3F2C9A61u);
    EXPECT_EQ(guid->data2, 0x5D7E);
    EXPECT_EQ(guid->data3, 0x4B0A);
    EXPECT_EQ(guid->data4[0], 0x9E);
    EXPECT_EQ(guid->data4[7], 0xA3);
    EXPECT_EQ(GuidText(*guid), "{3F2C9A61-5D7E-4B0A-9E41-7C2D18F0B5A3}");
    EXPECT_EQ(ParseGuid(GuidText(*guid)), guid);
}

TEST(GuidTest, MalformedTextsAreRefused) {
    for (const char* text :
         {"", "3F2C9A61-5D7E-4B0A-9E41-7C2D18F0B5A3", "{3F2C9A61-5D7E-4B0A-9E41-7C2D18F0B5A}",
          "{3F2C9A61-5D7E-4B0A-9E41-7C2D18F0B5A3", "{3F2C9A61 5D7E-4B0A-9E41-7C2D18F0B5A3}",
          "{3F2C9A6G-5D7E-4B0A-9E41-7C2D18F0B5A3}", "{3F2C9A61-5D7E-4B0A-9E41-7C2D18F0B5A3}x"})
        EXPECT_FALSE(ParseGuid(text)) << text;
}

} // namespace
} // namespace kelvo
