#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "test_support.h"

namespace pipedex {
namespace {

using nlohmann::json;
using testing::RunBatch;
using testing::RunCli;

const std::vector<std::string> kSample = {"--component-dir", testing::SampleDataDir(), "--locale", "en_US"};

TEST(ModelCli, BatchAnswersCountsGettersAndTheAttributeMap) {
  const auto lines = RunBatch(kSample, {
      R"({"call": "GroupCount"})",
      R"({"call": "SKEYCount"})",
      R"({"call": "EndPrepCount"})",
      R"({"call": "ComponentTypeCount"})",
      R"({"call": "GetGroup", "args": [-2147483648]})",
      R"({"call": "GetEndPrep", "args": [1]})",
      R"({"call": "PCFAttributeCheck", "args": ["spool-identifier"]})",
      R"({"call": "GetIDFAttribute", "args": ["PIPELINE-ATTRIBUTE7"]})",
      R"({"call": "GetPCFAttribute", "args": [298]})",
      R"({"call": "GetPCFAttribute", "args": [495]})",
  });
  ASSERT_EQ(lines.size(), 10u);
  const json expected[] = {11, 45, 7, 0, "", "BW--", 4, 298, "PIPELINE-ATTRIBUTE7", "COMPONENT-ATTRIBUTE6"};
  for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(json::parse(lines[i]), (json{{"result", expected[i]}})) << i;
}

TEST(ModelCli, BatchReportsTheTypeMismatchOfABadRecordText) {
  testing::TempDir dir;
  dir.Write("SystemPipedex.xml", testing::Catalogue(R"(<PLOTRA-ATTRIBUTES><ATT PCF="A" IDF="x"/></PLOTRA-ATTRIBUTES>)"));
  const auto lines = RunBatch({"--component-dir", dir.path()}, {R"({"call": "GetPCFAttribute", "args": [1]})"});
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(json::parse(lines[0])["error"]["number"], 13);
}

TEST(ModelCli, HumanCommandsListAndLookUp) {
  auto args = [](std::vector<std::string> more) {
    std::vector<std::string> all = kSample;
    all.insert(all.end(), more.begin(), more.end());
    return all;
  };
  const json groups = json::parse(RunCli(args({"groups", "--json"})));
  ASSERT_EQ(groups.size(), 11u);
  EXPECT_EQ(groups[0], (json{{"Index", "1"}, {"Group", "Pipes"}}));
  EXPECT_EQ(json::parse(RunCli(args({"endpreps", "--json"}))).size(), 7u);
  EXPECT_EQ(json::parse(RunCli(args({"skeys", "--json"}))).size(), 45u);
  const json attribute = json::parse(RunCli(args({"attribute", "COMPONENT-ATTRIBUTE6", "--json"})));
  EXPECT_EQ(attribute["IDF record"], "495");
  EXPECT_EQ(attribute["Check"], "0 (valid)");
  EXPECT_NE(RunCli(args({"record", "13"})).find("COMPONENT-IDENTIFIER"), std::string::npos);
}

}  // namespace
}  // namespace pipedex
