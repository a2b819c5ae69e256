#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "test_support.h"

namespace pipedex::testing {
namespace {

using nlohmann::json;

std::vector<json> Answers(const std::vector<std::string>& requests) {
  std::vector<json> answers;
  for (const auto& line : RunBatch({"--component-dir", SampleDataDir(), "--locale", "en_US"}, requests))
    answers.push_back(json::parse(line));
  return answers;
}

TEST(QueryBatch, AnswersWithResultsOutValuesAndErrors) {
  auto a = Answers({
      R"({"call": "FindComponentTypes", "args": ["Elbows", "SKEY", "ELBW"]})",
      R"({"call": "GetComponentType", "args": [1]})",
      R"({"call": "GetSKEYData", "args": ["ELBW"]})",
      R"({"call": "GetComponentTypeData", "args": ["Elbow-90", "", "", "", ""]})",
      R"({"call": "IsEndPrepConsistent", "args": ["BW--", "ELSW"]})",
      R"({"call": "OperationEnumToString", "args": [2]})",
      R"({"call": "FindOperations", "args": ["No-Such-Type"]})",
      R"({"call": "HasFlag", "args": ["Pipe", 1]})",
      R"({"call": "GetDefaultAllowedConnection", "args": ["SW--"]})",
  });
  ASSERT_EQ(a.size(), 9u);
  EXPECT_EQ(a[0]["result"], 6);
  EXPECT_EQ(a[1]["result"], "Elbow-90-V");
  EXPECT_EQ(a[2]["result"], true);
  EXPECT_EQ(a[2]["out"]["CP_1_Prep"], "BW--");
  EXPECT_EQ(a[2]["out"]["CP_4_Prep"], "XX--");
  EXPECT_EQ(a[3]["out"]["Group"], "Elbows");
  EXPECT_EQ(a[3]["out"]["PCFTYPE"], "ELBOW");
  EXPECT_EQ(a[4]["result"], false);
  EXPECT_EQ(a[4]["out"]["ep"], "BW--");
  EXPECT_EQ(a[5]["result"], "Formtap");
  EXPECT_EQ(a[6]["error"]["number"], 91);
  EXPECT_EQ(a[7]["result"], true);
  EXPECT_EQ(a[8]["out"]["EndPrep"], "SW--");
  EXPECT_EQ(a[8]["result"], "PL--");
}

TEST(QueryCommands, ShowAnSKEY) {
  int code = -1;
  json skey = json::parse(RunCli({"--component-dir", SampleDataDir(), "skey", "PB3D", "--json"}, &code));
  EXPECT_EQ(code, 0);
  EXPECT_EQ(skey["End prep 1"], "BW--");
  EXPECT_EQ(skey["Trimmable"], "yes");
  RunCli({"--component-dir", SampleDataDir(), "type", "No-Such-Type"}, &code);
  EXPECT_EQ(code, 1);
}

}  // namespace
}  // namespace pipedex::testing
