#include <gtest/gtest.h>

#include <cmath>

#include "test_support.h"

namespace pipedex::testing {
namespace {

const std::string kCatalogue = Catalogue(R"(
<BORE-CONVERSION-TABLE><BORE MM="51" IN="2.0"/><BORE MM="80"/><BORE MM="abc" IN="4"/></BORE-CONVERSION-TABLE>
<SYMBOLS><Symbol Name="ELBOW"/></SYMBOLS>)");

TEST(GetConvertedBore, TableFirstThenFactor) {
  Fixture f(kCatalogue);
  Pipedex& p = f.pipedex;
  EXPECT_EQ(p.GetConvertedBore("MM", " in ", 2), 51);  // table value 2.0 matches the bore 2
  EXPECT_EQ(p.GetConvertedBore(" mm", "\"", 3), 75);
  EXPECT_EQ(p.GetConvertedBore("IN", "MM", 50), 2);
  EXPECT_EQ(p.GetConvertedBore("\"", "MM", 80), 3.2);  // row without an IN value
  EXPECT_EQ(p.GetConvertedBore("MM", "IN", -2), -50);
  EXPECT_EQ(p.GetConvertedBore("MM", "IN", 4), 4);  // table value that is no number
  for (auto [to, from] : {std::pair{"IN", "IN"}, {"CM", "MM"}, {"MM", "I N"}}) EXPECT_EQ(p.GetConvertedBore(to, from, 5), 5);
  EXPECT_EQ(p.GetConvertedBore("MM", "IN", 12345678901234567.0), 12345678901234567.0 * 25);
  EXPECT_TRUE(std::isnan(p.GetConvertedBore("MM", "IN", std::nan(""))));
  EXPECT_TRUE(std::isinf(p.GetConvertedBore("MM", "IN", -INFINITY)));
}

TEST(BoreTableAndSymbols, LiveNodesOrNothing) {
  Fixture f(kCatalogue);
  EXPECT_EQ(std::string(f.pipedex.GetBoreConversionTable().first_child().attribute("MM").value()), "51");
  EXPECT_EQ(std::string(f.pipedex.GetSystemSymbols().name()), "SYMBOLS");
  EXPECT_FALSE(f.pipedex.GetProjectSymbols());
  Fixture bare(Catalogue(""));
  EXPECT_FALSE(bare.pipedex.GetBoreConversionTable() || bare.pipedex.GetSystemSymbols());
}

TEST(RuleOperations, AnswerThroughTheBatchProtocol) {
  auto lines = RunBatch({"--component-dir", SampleDataDir()},
                        {R"({"call": "DefaultElbows"})", R"({"set": "AngleTolerance", "value": 20})",
                         R"({"call": "AngleTolerance"})",
                         R"({"call": "GetAngleComponentData2", "args": ["Elbow-90-V", "BW", "BW", 44.5]})",
                         R"({"call": "GetComponentTypeByAngle", "args": ["ELBW", 130]})",
                         R"({"call": "GetValidData", "args": ["VALVE", "ELBW", 1]})",
                         R"({"call": "FindPCFTYPEs", "args": ["", 999]})",
                         R"({"call": "GetConvertedBore", "args": ["MM", "IN", 2]})"});
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0].substr(0, 55), R"({"result":[{"ComponentType":"Elbow-90-V","Angle":90.0},)");
  EXPECT_EQ(lines[1] + lines[2], R"({"result":null}{"result":20.0})");
  // Every elbow from 30 to 60 degrees is within 20 of 44.5: the last one wins.
  EXPECT_EQ(lines[3], R"({"result":null,"out":{"Trimmed":false,"StandardAngle":30.0,"StandardComponentType":"Elbow-30"}})");
  EXPECT_EQ(lines[4], R"({"result":"Elbow-NonStandard","out":{"Trimmed":true}})");
  EXPECT_EQ(lines[5], R"({"result":2,"out":{"ValidData":"ELBOW","ValidComponentType":"Elbow-90"}})");
  EXPECT_EQ(lines[6] + lines[7], R"({"result":24}{"result":50.0})");
}

}  // namespace
}  // namespace pipedex::testing
