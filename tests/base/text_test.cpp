#include <gtest/gtest.h>

#include <limits>

#include "base/text.h"

namespace pipedex::text {
namespace {

TEST(Text, UpperCasesUnicodeAndKeepsInvalidBytes) {
  EXPECT_EQ(Upper("ärger élan ω"), "ÄRGER ÉLAN Ω");
  EXPECT_EQ(Upper(std::string("a\xff" "b")), std::string("A\xff" "B"));
}

TEST(Text, TrimRemovesOnlyBlanks) {
  EXPECT_EQ(Trim("  a b  "), "a b");
  EXPECT_EQ(Trim("\ta\t"), "\ta\t");
  EXPECT_EQ(Trim("   "), "");
}

TEST(Text, SlicesCountCharactersNotBytes) {
  EXPECT_EQ(Length("Ärge"), 4u);
  EXPECT_EQ(Left("ÄÖÜß", 2), "ÄÖ");
  EXPECT_EQ(Right("ÄÖÜß", 2), "Üß");
  EXPECT_EQ(Mid("ÄÖÜß", 1, 2), "ÖÜ");
  EXPECT_EQ(Right("ab", 5), "ab");
  EXPECT_EQ(CharAt("ab", 7), "");
  EXPECT_TRUE(IsDigitAt("ZW3", 2));
  EXPECT_FALSE(IsDigitAt("ZWÄ", 2));
}

TEST(Text, NumericTestAndLeadingNumber) {
  for (const char* yes : {"12", " -1.5 ", "2e3", ".5", "+7", "1.", "1E-2"}) EXPECT_TRUE(IsNumeric(yes)) << yes;
  for (const char* no : {"", " ", ".", "e5", "1e", "12a", "- 1", "0x10"}) EXPECT_FALSE(IsNumeric(no)) << no;
  EXPECT_EQ(LeadingNumber("12abc"), 12);
  EXPECT_EQ(LeadingNumber("  -3.5x"), -3.5);
  EXPECT_EQ(LeadingNumber("abc"), 0);
  EXPECT_EQ(LeadingNumber("1e2z"), 100);
  // Beyond the double range: infinities and zeros with the number's sign, as the C library reads them.
  const double inf = std::numeric_limits<double>::infinity();
  for (auto [t, v] : {std::pair{"1e400", inf}, {"-1e400", -inf}, {"1e-400", 0.0}, {"+2.5", 2.5},
                      {"0.000001e-318", 0.0}, {"1000e306", inf}, {"0.1e310", inf}, {"1e99999999999999999999", inf}})
    EXPECT_EQ(ParseNumber(t), v) << t;
}

TEST(Text, RoundsHalfToEvenAndGuardsTheLongRange) {
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(3.5), 4);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(ToLong(2147483647.4), 2147483647);
  EXPECT_FALSE(ToLong(2147483648.0));
  EXPECT_FALSE(ToLong(std::numeric_limits<double>::quiet_NaN()));
  EXPECT_EQ(ToLong(-2147483648.0), std::numeric_limits<std::int32_t>::min());
}

TEST(Text, DecimalTextHasNoExponentNorTrailingZeros) {
  EXPECT_EQ(DecimalText(2), "2");
  EXPECT_EQ(DecimalText(2.5), "2.5");
  EXPECT_EQ(DecimalText(-0.04), "-0.04");
  EXPECT_EQ(DecimalText(0.1 + 0.2), "0.3");
  EXPECT_EQ(DecimalText(1e20), "100000000000000000000");
  EXPECT_EQ(DecimalText(1.5e-7), "0.00000015");
  EXPECT_EQ(DecimalText(123456789.123456789), "123456789.123457");
}

}  // namespace
}  // namespace pipedex::text
