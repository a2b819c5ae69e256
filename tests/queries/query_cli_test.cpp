#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "test_support.h"

namespace pipedex::testing {
namespace {

using nlohmann::json;

TEST(QueryBatch, AnswersWithResultsOutValuesAndErrors) {
  std::vector<json> a;
  for (const auto& line : RunBatch({"--component-dir", SampleDataDir(), "--locale", "en_US"},
                                   {R"({"call": "FindComponentTypes", "args": ["Elbows", "SKEY", "ELBW"]})",
                                    R"({"call": "GetSKEYData", "args": ["ELBW"]})",
                                    R"({"call": "GetComponentTypeData", "args": ["Elbow-90", "", "", "", ""]})",
                                    R"({"call": "IsEndPrepConsistent", "args": ["BW--", "ELSW"]})",
                                    R"({"call": "OperationEnumToString", "args": [2]})",
                                    R"({"call": "FindOperations", "args": ["No-Such-Type"]})",
                                    R"({"call": "GetDefaultAllowedConnection", "args": ["SW--"]})"}))
    a.push_back(json::parse(line));
  ASSERT_EQ(a.size(), 7u);
  EXPECT_EQ(a[0]["result"], 6);
  EXPECT_EQ(a[1]["out"]["CP_1_Prep"], "BW--");
  EXPECT_EQ(a[3]["result"], false);
  EXPECT_EQ(a[3]["out"]["ep"], "BW--");
  EXPECT_EQ(a[4]["result"], "Formtap");
  EXPECT_EQ(a[5]["error"]["number"], 91);
  EXPECT_EQ(a[6]["result"], "PL--");
  EXPECT_EQ(a[6]["out"]["EndPrep"], "SW--");
}

TEST(QueryCommands, ShowAnSKEY) {
  int code = -1;
  json skey = json::parse(RunCli({"--component-dir", SampleDataDir(), "skey", "PB3D", "--json"}, &code));
  EXPECT_EQ(code, 0);
  EXPECT_EQ(skey["End prep 1"], "BW--");
  EXPECT_EQ(skey["Trimmable"], "yes");
}

}  // namespace
}  // namespace pipedex::testing
