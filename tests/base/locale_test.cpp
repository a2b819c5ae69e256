// Numbers are read and written the same whatever locale the host program
// runs under: a program that calls setlocale(LC_ALL, "") in a comma-decimal
// locale gets the answers of the C locale.

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <locale.h>

#include "base/text.h"
#include "test_support.h"

namespace pipedex::testing {
namespace {

// Every numeric answer of a fresh instance on the sample catalogue.
std::vector<std::string> NumericAnswers() {
  Pipedex p(PlatformIn(SampleDataDir()));
  std::vector<std::string> out;
  auto number = [&](double v) { out.push_back(text::DecimalText(v)); };
  for (const DefaultElbowInfo& e : p.DefaultElbows()) out.push_back(e.ComponentType), number(e.Angle);
  for (double bore : {0.5, 2.5, 2.0, 65.0, 15.0, 7.25}) {
    number(p.GetConvertedBore("MM", "IN", bore));
    number(p.GetConvertedBore("IN", "MM", bore));
  }
  for (double angle : {29.5, 44.5, 60.75, 75.25, 91.0}) {
    bool trimmed = false;
    double standard = 0;
    std::string type;
    p.GetAngleComponentData2("Elbow-90-V", "BW", "BW", angle, trimmed, standard, type);
    number(standard), out.push_back(type + (trimmed ? " trimmed" : ""));
  }
  number(p.GetIsoPriority("ELBW"));
  for (const char* t : {"2.5", " -1.5e1 ", "0.75", "1e400"}) number(text::ParseNumber(t).value_or(-1));
  number(text::LeadingNumber("60.75mm"));
  return out;
}

TEST(Locale, CommaDecimalLocaleGivesTheSameNumbers) {
  const std::vector<std::string> expected = NumericAnswers();
  // make test provides this locale (LOCPATH); a missing one is a failure, never a skip.
  locale_t comma = newlocale(LC_ALL_MASK, "de_DE.UTF-8", nullptr);
  const char* locpath = std::getenv("LOCPATH");
  ASSERT_NE(comma, locale_t{}) << "de_DE.UTF-8 is not available (LOCPATH=" << (locpath ? locpath : "") << ")";
  const locale_t previous = uselocale(comma);
  ASSERT_STREQ(localeconv()->decimal_point, ",");
  ASSERT_EQ(std::strtod("2.5", nullptr), 2);  // the host's own conversion does depend on it
  const std::vector<std::string> answers = NumericAnswers();
  uselocale(previous);
  freelocale(comma);
  EXPECT_EQ(answers, expected);
}

}  // namespace
}  // namespace pipedex::testing
