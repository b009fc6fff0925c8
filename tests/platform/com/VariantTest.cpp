#include "platform/com/Variant.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kelvo {
namespace {

TEST(VariantTest, NumbersConvertWhereAutomationWouldAndNowhereElse) {
    std::int32_t integer = 0;
    EXPECT_EQ(Variant(std::int16_t{-7}).ToInteger(&integer), results::Ok);
    EXPECT_EQ(integer, -7);
    EXPECT_EQ(Variant(2.5).ToInteger(&integer), results::Ok);
    EXPECT_EQ(integer, 2); // to even, as automation rounds
    EXPECT_EQ(Variant(3e10).ToInteger(&integer), results::Overflow);
    EXPECT_EQ(Variant(std::nan("")).ToInteger(&integer), results::Overflow);
    EXPECT_EQ(Variant("12").ToInteger(&integer), results::TypeMismatch);
    EXPECT_EQ(Variant().ToInteger(&integer), results::TypeMismatch);

    double real = 0;
    EXPECT_EQ(Variant(std::int32_t{40}).ToDouble(&real), results::Ok);
    EXPECT_EQ(real, 40.0);
    EXPECT_EQ(Variant(true).ToDouble(&real), results::TypeMismatch);

    std::int16_t shortValue = 0;
    EXPECT_EQ(Variant(std::int32_t{40000}).ToShort(&shortValue), results::Overflow);
    EXPECT_EQ(Variant(std::int32_t{-2}).ToShort(&shortValue), results::Ok);
    EXPECT_EQ(shortValue, -2);
}

TEST(VariantTest, TextsByValueAndByReference) {
    std::string text = "12.5";
    Variant reference(&text);
    std::string read;
    EXPECT_EQ(reference.ToText(&read), results::Ok);
    EXPECT_EQ(read, "12.5");
    std::string* target = nullptr;
    ASSERT_EQ(reference.ToTextReference(&target), results::Ok);
    *target += " Index: 3";
    EXPECT_EQ(text, "12.5 Index: 3");

    EXPECT_EQ(Variant("by value").ToTextReference(&target), results::TypeMismatch);
    EXPECT_EQ(Variant(std::int32_t{1}).ToText(&read), results::TypeMismatch);
    EXPECT_EQ(Variant(static_cast<std::string*>(nullptr)).ToText(&read), results::NullPointer);
}

} // namespace
} // namespace kelvo
