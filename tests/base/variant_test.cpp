#include "vendral/variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace vendral {
namespace {

TEST(VariantTest, EmptyAndNullAreDistinctStates) {
    Variant empty;
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_FALSE(empty.IsNull());
    EXPECT_EQ(empty.ToString(), "");
    EXPECT_EQ(empty.ToLong(), 0);
    Variant null = Variant::Null();
    EXPECT_TRUE(null.IsNull());
    EXPECT_FALSE(null.IsEmpty());
    EXPECT_THROW(null.ToString(), VariantError);
    EXPECT_THROW(null.ToLong(), VariantError);
    EXPECT_NE(empty, null);
}

TEST(VariantTest, ConstructionPicksTheOriginalTypes) {
    EXPECT_EQ(Variant(true).Type(), VariantType::Boolean);
    EXPECT_EQ(Variant(std::int16_t{3}).Type(), VariantType::Integer);
    EXPECT_EQ(Variant(3).Type(), VariantType::Long);
    EXPECT_EQ(Variant(3LL).Type(), VariantType::LongLong);
    EXPECT_EQ(Variant(3.5).Type(), VariantType::Double);
    EXPECT_EQ(Variant("x").Type(), VariantType::String);
    EXPECT_EQ(Variant(std::string("x")).Type(), VariantType::String);
}

TEST(VariantTest, BooleansCrossAsMinusOneAndZero) {
    EXPECT_EQ(Variant(true).ToLong(), -1);
    EXPECT_EQ(Variant(false).ToLong(), 0);
    EXPECT_EQ(Variant(true).ToString(), "True");
    EXPECT_TRUE(Variant(-1).ToBool());
    EXPECT_FALSE(Variant("False").ToBool());
    EXPECT_TRUE(Variant("true").ToBool());
}

TEST(VariantTest, NumbersConvertAsAClientExpects) {
    EXPECT_EQ(Variant(2.5).ToLong(), 2);  // half to even
    EXPECT_EQ(Variant(3.5).ToLong(), 4);
    EXPECT_EQ(Variant(-2.5).ToLong(), -2);
    EXPECT_EQ(Variant(" 42 ").ToLong(), 42);
    EXPECT_EQ(Variant("-7").ToLong(), -7);
    EXPECT_EQ(Variant("12.75").ToDouble(), 12.75);
    EXPECT_EQ(Variant("12.5").ToLong(), 12);
    EXPECT_EQ(Variant(1000).ToString(), "1000");
    EXPECT_EQ(Variant(0.25).ToString(), "0.25");
    EXPECT_EQ(Variant(5.0).ToString(), "5");
    EXPECT_EQ(Variant(9000000000LL).ToString(), "9000000000");
}

TEST(VariantTest, AFailedConversionIsAnErrorNeverASilentZero) {
    EXPECT_THROW(Variant("abc").ToLong(), VariantError);
    EXPECT_THROW(Variant("12abc").ToDouble(), VariantError);
    EXPECT_THROW(Variant("").ToLong(), VariantError);
    EXPECT_THROW(Variant(9000000000LL).ToLong(), VariantError);
    EXPECT_THROW(Variant(40000).ToInteger(), VariantError);
    EXPECT_THROW(Variant(3e10).ToLong(), VariantError);
    EXPECT_THROW(Variant("maybe").ToBool(), VariantError);
}

// 2^63 is the first double above the 64-bit range; the bound compared against
// must be exact, not the rounded double of the largest 64-bit integer.
TEST(VariantTest, DoublesOutsideTheTargetOrNotANumberAreConversionErrors) {
    const double twoTo63 = 9223372036854775808.0;
    EXPECT_THROW(Variant(twoTo63).ToLongLong(), VariantError);
    EXPECT_THROW(Variant(-twoTo63 * 2).ToLongLong(), VariantError);
    EXPECT_EQ(Variant(-twoTo63).ToLongLong(), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(Variant(9223372036854774784.0).ToLongLong(), 9223372036854774784LL);
    EXPECT_THROW(Variant("9223372036854775808").ToLongLong(), VariantError);
    EXPECT_THROW(Variant("1e19").ToLong(), VariantError);
    EXPECT_THROW(Variant(std::nan("")).ToLongLong(), VariantError);
    EXPECT_THROW(Variant(std::nan("")).ToLong(), VariantError);
    EXPECT_THROW(Variant(std::nan("")).ToInteger(), VariantError);
    EXPECT_THROW(Variant(std::numeric_limits<double>::infinity()).ToLong(), VariantError);
    EXPECT_THROW(Variant(-std::numeric_limits<double>::infinity()).ToLongLong(), VariantError);
    EXPECT_THROW(Variant("nan").ToLong(), VariantError);
    EXPECT_THROW(Variant("inf").ToDouble(), VariantError);
    // The edges of the narrower targets, rounded half to even first.
    EXPECT_EQ(Variant(2147483647.4).ToLong(), 2147483647);
    EXPECT_THROW(Variant(2147483647.5).ToLong(), VariantError);
    EXPECT_EQ(Variant(-2147483648.5).ToLong(), -2147483648);
    EXPECT_THROW(Variant(-2147483649.0).ToLong(), VariantError);
    EXPECT_EQ(Variant(32767.0).ToInteger(), 32767);
    EXPECT_THROW(Variant(32768.0).ToInteger(), VariantError);
    EXPECT_THROW(Variant(-32769.0).ToInteger(), VariantError);
}

TEST(VariantTest, NumbersCompareByValueAcrossTypes) {
    EXPECT_EQ(Variant(5), Variant(5LL));
    EXPECT_EQ(Variant(std::int16_t{5}), Variant(5.0));
    EXPECT_NE(Variant(5), Variant("5"));
    EXPECT_EQ(Variant("a"), Variant(std::string("a")));
    EXPECT_NE(Variant(5), Variant(6));
}

}  // namespace
}  // namespace vendral
