#include "text/int_text.h"

#include <gtest/gtest.h>

#include <limits>

namespace kx71 {
namespace {

TEST(IntText, DecimalWithOptionalSignAndLeadingSpaces) {
  EXPECT_EQ(ParseIntText("0"), 0);
  EXPECT_EQ(ParseIntText("42"), 42);
  EXPECT_EQ(ParseIntText("+42"), 42);
  EXPECT_EQ(ParseIntText("-42"), -42);
  EXPECT_EQ(ParseIntText("   7"), 7);
  EXPECT_EQ(ParseIntText("000000000000012"), 12);
  EXPECT_EQ(ParseIntText("-0"), 0);
}

TEST(IntText, DecimalRangeEndsAndOverflow) {
  EXPECT_EQ(ParseIntText("2147483647"), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(ParseIntText("-2147483648"), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(ParseIntText("2147483648"), std::nullopt);
  EXPECT_EQ(ParseIntText("-2147483649"), std::nullopt);
  EXPECT_EQ(ParseIntText("99999999999999999999999999"), std::nullopt);
  EXPECT_EQ(ParseIntText("00000000002147483647"), 2147483647);
}

TEST(IntText, HexPrefixesAndTwosComplement) {
  EXPECT_EQ(ParseIntText("$1F"), 31);
  EXPECT_EQ(ParseIntText("x1f"), 31);
  EXPECT_EQ(ParseIntText("X1F"), 31);
  EXPECT_EQ(ParseIntText("0x1F"), 31);
  EXPECT_EQ(ParseIntText("0XaB"), 0xAB);
  EXPECT_EQ(ParseIntText("  $10"), 16);
  EXPECT_EQ(ParseIntText("$7FFFFFFF"), 2147483647);
  EXPECT_EQ(ParseIntText("$80000000"), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(ParseIntText("$FFFFFFFF"), -1);
  // Leading zeros are not significant digits; a ninth significant digit is too many.
  EXPECT_EQ(ParseIntText("0x000000001"), 1);
  EXPECT_EQ(ParseIntText("$00000000FFFFFFFF"), -1);
  EXPECT_EQ(ParseIntText("$100000000"), std::nullopt);
}

TEST(IntText, TextsThatAreNotNumbers) {
  for (const char* text : {"", " ", "   ", "-", "+", "$", "x", "0x", "12 ", "1 2", "12a", "a12", "-$10", "+0x10",
                           "$-10", "--1", "+-1", "0x1G", "1.5", "\t12", "１２"}) {
    EXPECT_EQ(ParseIntText(text), std::nullopt) << '"' << text << '"';
  }
}

// The form alone: a number too long for 32 bits still has it, a text that is no number has not.
TEST(IntText, FormOfANumberWhateverItsSize) {
  for (const char* text : {"7", " -7", "+0", "4294967296", "99999999999999999999999999", "$100000000", "0x1F"}) {
    EXPECT_TRUE(IsIntTextForm(text)) << '"' << text << '"';
  }
  for (const char* text : {"", " ", "-", "$", "0x", "X", "12a", "1 2", "-$10", "0x1G", "1.5"}) {
    EXPECT_FALSE(IsIntTextForm(text)) << '"' << text << '"';
  }
}

TEST(IntText, FallbackAndConversionError) {
  EXPECT_EQ(StrToIntDef("12", 5), 12);
  EXPECT_EQ(StrToIntDef("12x", 5), 5);
  EXPECT_EQ(StrToInt(" 3"), 3);
  try {
    StrToInt("1A");
    FAIL() << "no conversion error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'1A' は整数ではありません");
  }
  EXPECT_THROW(StrToInt(""), EConvertError);
}

}  // namespace
}  // namespace kx71
