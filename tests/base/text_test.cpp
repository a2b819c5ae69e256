#include <gtest/gtest.h>

#include <limits>

#include "base/text.h"

namespace pipedex::text {
namespace {

TEST(Text, CharactersNotBytes) {
  const std::pair<std::string, std::string> rows[] = {
      {Upper("ärger élan ω"), "ÄRGER ÉLAN Ω"}, {Upper("a\xff" "b"), "A\xff" "B"},  // invalid bytes stay
      // Eight ASCII bytes at a time, every byte around 'a' and 'z', then a character that is not.
      {Upper("`az{@AZ[abcdefghijklmnopqrstuvwxyz0189-_~\x7f" "ärger"), "`AZ{@AZ[ABCDEFGHIJKLMNOPQRSTUVWXYZ0189-_~\x7f" "ÄRGER"},
      // A key upper-cased in place (short ASCII) or by Upper: the same either way.
      {std::string(UpperKey("ElBw-9").View()), "ELBW-9"}, {std::string(UpperKey("élan\xff").View()), "ÉLAN\xff"},
      {std::string(UpperKey(std::string(65, 'a')).View()), std::string(65, 'A')},
      {Trim("  a b  "), "a b"}, {Trim("\ta\t"), "\ta\t"}, {Trim("   "), ""},   // only blanks are trimmed
      {OneLine("a\r\nb\rc\n\nd\r\n"), "a b c d"},  // each run of line breaks is one space
      {std::to_string(Length("Ärge")), "4"}, {Left("ÄÖÜß", 2), "ÄÖ"}, {Right("ÄÖÜß", 2), "Üß"},
      {Mid("ÄÖÜß", 1, 2), "ÖÜ"}, {Right("ab", 5), "ab"}, {CharAt("ab", 7), ""},
      {IsDigitAt("ZW3", 2) ? "digit" : "no", "digit"}, {IsDigitAt("ZWÄ", 2) ? "digit" : "no", "no"},
      // Editors' columns: a character beyond the basic plane is two UTF-16 units.
      {std::to_string(Utf16Units("aé\xF0\x9F\x98\x80\xFF", 3)), "4"}, {std::to_string(Utf16Units("a\xFF", 9)), "2"},
      {std::to_string(CharactersInUtf16("aé\xF0\x9F\x98\x80" "b", 3)), "2"},
      {std::to_string(CharactersInUtf16("aé\xF0\x9F\x98\x80" "b", 4)), "3"},
  };
  for (const auto& [got, expected] : rows) EXPECT_EQ(got, expected);
}

TEST(Text, NumbersReadAndWritten) {
  for (const char* yes : {"12", " -1.5 ", "2e3", ".5", "+7", "1.", "1E-2"}) EXPECT_TRUE(IsNumeric(yes)) << yes;
  for (const char* no : {"", " ", ".", "e5", "1e", "1e/", "12a", "1e5x", "- 1", "0x10"}) EXPECT_FALSE(IsNumeric(no)) << no;
  for (auto [t, v] : {std::pair{"12abc", 12.0}, {"  -3.5x", -3.5}, {"abc", 0.0}, {"1e2z", 100.0}, {"   ", 0.0}})
    EXPECT_EQ(LeadingNumber(t), v) << t;
  // Beyond the double range: infinities and zeros with the number's sign, as the C library reads them.
  const double inf = std::numeric_limits<double>::infinity();
  const std::string tinyWithPlus = "0." + std::string(330, '0') + "1e+5";  // an exponent written with its "+"
  const std::string hugeWithout = "1" + std::string(400, '0');             // and none at all
  for (auto [t, v] : {std::pair{"1e400", inf}, {"-1e400", -inf}, {"1e-400", 0.0}, {"+2.5", 2.5}, {tinyWithPlus.c_str(), 0.0},
                      {"0.000001e-318", 0.0}, {"1000e306", inf}, {"0.1e310", inf}, {"1e99999999999999999999", inf},
                      {"1e-99999999999999999999", 0.0}, {hugeWithout.c_str(), inf}})
    EXPECT_EQ(ParseNumber(t), v) << t;
  // Half to even, within the Long range only.
  for (auto [v, rounded] : {std::pair{2.5, 2}, {3.5, 4}, {-2.5, -2}}) EXPECT_EQ(RoundHalfEven(v), rounded) << v;
  EXPECT_EQ(ToLong(2147483647.4), 2147483647);
  EXPECT_EQ(ToLong(-2147483648.0), std::numeric_limits<std::int32_t>::min());
  EXPECT_FALSE(ToLong(2147483648.0) || ToLong(-2147483649.0) || ToLong(std::numeric_limits<double>::quiet_NaN()));
  // Written without an exponent nor trailing zeros.
  for (auto [v, t] : {std::pair{2.0, "2"}, {2.5, "2.5"}, {-0.04, "-0.04"}, {0.1 + 0.2, "0.3"}, {1e20, "100000000000000000000"},
                      {1.5e-7, "0.00000015"}, {123456789.123456789, "123456789.123457"},
                      {-inf, "-Infinity"}, {inf, "Infinity"}, {inf - inf, "NaN"}})
    EXPECT_EQ(DecimalText(v), t) << t;
}

}  // namespace
}  // namespace pipedex::text
