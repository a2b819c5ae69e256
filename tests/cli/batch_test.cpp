// The CLI's batch protocol and exit statuses, on the shipped sample catalogue.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "test_support.h"

namespace pipedex::testing {
namespace {

using nlohmann::json;

TEST(CliBatch, AnswersEveryLineAndGoesOnAfterBadOnes) {
  TempDir dir;
  dir.Write("SystemPipedex.xml", Catalogue("<A_CPT><Pipes/></A_CPT>"));
  auto lines = RunBatch({"--component-dir", dir.path()},
                        {R"({"call": "SystemXMLPath"})", "not json", "", R"({"call": "NoSuchOperation"})",
                         R"({"call": "DumpXML", "args": [1]})", R"({"call": "DumpXML", "args": []})",
                         R"({"call": "SystemXMLPath", "args": ["extra"]})", R"({"set": "NoSuchProperty", "value": 1})",
                         "[1,2]", R"({"call": "DumpXML", "args": ["/proc/no/such/file.xml"]})",
                         R"({"call": "UserXMLPath"})"});
  ASSERT_EQ(lines.size(), 11u);
  EXPECT_EQ(json::parse(lines[0])["result"], dir.path() + "/SystemPipedex.xml");
  for (std::size_t i = 1; i <= 8; ++i) {
    auto error = json::parse(lines[i])["error"];
    EXPECT_EQ(error["source"], "pipedex-cli") << lines[i];
    EXPECT_TRUE(error["number"].is_number_integer());
  }
  auto saveError = json::parse(lines[9])["error"];
  EXPECT_EQ(saveError["source"], "Pipedex");
  EXPECT_EQ(json::parse(lines[10]), json::parse(R"({"result": ""})"));
}

TEST(CliBatch, InitialisationErrorsAreAnsweredNotFatal) {
  TempDir empty;
  auto lines = RunBatch({"--component-dir", empty.path(), "--registry", empty.path() + "/none.reg"},
                        {R"({"call": "SystemXMLPath"})", R"({"call": "SystemXMLPath"})"});
  ASSERT_EQ(lines.size(), 2u);
  auto error = json::parse(lines[1])["error"];
  EXPECT_EQ(error["number"], -2147220991);
  EXPECT_EQ(error["source"], "Pipedex");
}

TEST(CliCall, ExitStatusTellsResultComponentErrorAndUsageError) {
  TempDir dir;
  dir.Write("SystemPipedex.xml", Catalogue(""));
  int status = -1;
  std::string out = RunCli({"--component-dir", dir.path(), "call", "SystemXMLPath"}, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(json::parse(out)["result"], dir.path() + "/SystemPipedex.xml");
  RunCli({"--component-dir", dir.path() + "/missing", "--registry", "/nonexistent", "call", "SystemXMLPath"}, &status);
  EXPECT_EQ(status, 1);
  RunCli({"--component-dir", dir.path(), "call", "NoSuchOperation"}, &status);
  EXPECT_EQ(status, 2);
  RunCli({"--no-such-option"}, &status);
  EXPECT_EQ(status, 2);
}

TEST(CliInfo, FindsTheShippedSampleCatalogue) {
  int status = -1;
  std::string out = RunCli({"info", "--json"}, &status);
  ASSERT_EQ(status, 0) << out;
  auto info = json::parse(out);
  EXPECT_NE(info["System file"].get<std::string>().find("/Data/SystemPipedex.xml"), std::string::npos);
}

}  // namespace
}  // namespace pipedex::testing
