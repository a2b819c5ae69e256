// The CLI's batch protocol and exit statuses, on the shipped sample catalogue.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "test_support.h"

namespace pipedex::testing {
namespace {

using nlohmann::json;

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
