// Bore conversion, the bore table and symbols, and the rule operations on the
// shipped sample catalogue.

#include <gtest/gtest.h>

#include <cmath>

#include "test_support.h"

namespace pipedex::testing {
namespace {

TEST(Bores, TableFirstThenFactor) {
  Fixture f(Catalogue(R"(
<BORE-CONVERSION-TABLE><BORE MM="51" IN="2.0"/><BORE MM="80"/><BORE MM="abc" IN="4"/></BORE-CONVERSION-TABLE>
<SYMBOLS><Symbol Name="ELBOW"/></SYMBOLS>)"));
  ExpectAnswers(f.pipedex, {
      {"GetConvertedBore", {"MM", " in ", "2"}, "51.0"},  // table value 2.0 matches the bore 2
      {"GetConvertedBore", {" mm", "\"", "3"}, "75.0"}, {"GetConvertedBore", {"IN", "MM", "50"}, "2.0"},
      {"GetConvertedBore", {"IN", "MM", "51"}, "2.0"}, {"GetConvertedBore", {"IN", "mm", "51"}, "2.0"},
      {"GetConvertedBore", {"\"", "MM", "80"}, "3.2"},  // row without an IN value
      {"GetConvertedBore", {"MM", "IN", "-2"}, "-50.0"},
      {"GetConvertedBore", {"MM", "IN", "4"}, "4.0"},  // table value that is no number
      {"GetConvertedBore", {"IN", "IN", "5"}, "5.0"}, {"GetConvertedBore", {"CM", "MM", "5"}, "5.0"},
      {"GetConvertedBore", {"MM", "I N", "5"}, "5.0"}, {"GetConvertedBore", {"MM", "IN", "1e16"}, "2.5e+17"},
  });
  EXPECT_TRUE(std::isnan(f.pipedex.GetConvertedBore("MM", "IN", std::nan(""))));
  EXPECT_TRUE(std::isinf(f.pipedex.GetConvertedBore("MM", "IN", -INFINITY)));
  EXPECT_EQ(std::string(f.pipedex.GetBoreConversionTable().first_child().attribute("MM").value()), "51");
  EXPECT_EQ(std::string(f.pipedex.GetSystemSymbols().name()), "SYMBOLS");
  EXPECT_FALSE(f.pipedex.GetProjectSymbols());
  Fixture bare(Catalogue(""));
  EXPECT_FALSE(bare.pipedex.GetBoreConversionTable() || bare.pipedex.GetSystemSymbols());
}

TEST(RuleOperations, AnswerOnTheSampleCatalogue) {
  Pipedex p(PlatformIn(SampleDataDir()));
  ExpectAnswers(p, {
      {"set AngleTolerance", {"20"}, "null"}, {"AngleTolerance", {}, "20.0"},
      // Every elbow from 30 to 60 degrees is within 20 of 44.5: the last one wins.
      {"GetAngleComponentData2", {"Elbow-90-V", "BW", "BW", "44.5"}, R"(null false 30.0 "Elbow-30")"},
      {"GetComponentTypeByAngle", {"ELBW", "130"}, R"("Elbow-NonStandard" true)"},
      {"GetValidData", {"VALVE", "ELBW", "1"}, R"(2 "ELBOW" "Elbow-90")"},
      {"FindPCFTYPEs", {"", "999"}, "24"}, {"GetConvertedBore", {"MM", "IN", "2"}, "50.0"},
  });
}

}  // namespace
}  // namespace pipedex::testing
