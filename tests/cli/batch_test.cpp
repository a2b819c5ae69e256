// The CLI's batch protocol and exit statuses.

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

// Counts, getters, out values, errors, descriptions and echoed ids on the sample catalogue.
TEST(CliBatch, AnswersEachKindOfRequest) {
  const std::pair<std::string, std::string> rows[] = {
      {R"({"call": "GroupCount"})", R"({"result":11})"},
      {R"({"call": "SKEYCount"})", R"({"result":45})"},
      {R"({"call": "GetGroup", "args": [-2147483648]})", R"({"result":""})"},
      {R"({"call": "PCFAttributeCheck", "args": ["spool-identifier"]})", R"({"result":4})"},
      {R"({"call": "GetIDFAttribute", "args": ["PIPELINE-ATTRIBUTE7"]})", R"({"result":298})"},
      {R"({"call": "GetPCFAttribute", "args": [495]})", R"({"result":"COMPONENT-ATTRIBUTE6"})"},
      {R"({"call": "FindComponentTypes", "args": ["Elbows", "SKEY", "ELBW"]})", R"({"result":6})"},
      {R"({"call": "IsEndPrepConsistent", "args": ["BW--", "ELSW"]})", R"({"result":false,"out":{"ep":"BW--","SKEY":"ELSW"}})"},
      {R"({"call": "OperationEnumToString", "args": [2]})", R"({"result":"Formtap"})"},
      {R"({"call": "FindOperations", "args": ["No-Such-Type"]})",
       R"({"error":{"number":91,"source":"Pipedex","description":"Object variable or With block variable not set"}})"},
      {R"({"call": "GetDefaultAllowedConnection", "args": ["SW--"]})", R"({"result":"PL--","out":{"EndPrep":"SW--"}})"},
      {R"({"call": "GroupCount", "id": "a1"})", R"({"id":"a1","result":11})"},
      {R"({"describe": "GetConvertedBore", "id": 7})",
       R"({"id":7,"result":{"operation":"GetConvertedBore","params":[)"
       R"({"name":"RequiredUnits","direction":"in","type":"string"},)"
       R"({"name":"CurrentUnits","direction":"in","type":"string"},)"
       R"({"name":"Bore","direction":"in","type":"number"}],"result":"number"}})"},
      {R"({"describe": "IsTrimmableSKEY"})",
       R"({"result":{"operation":"IsTrimmableSKEY","params":[{"name":"SKEY","direction":"in","type":"string"}],)"
       R"("result":"boolean"}})"},
      {R"({"describe": "Nope", "id": null})",
       R"({"id":null,"error":{"number":-2147024809,"source":"pipedex-cli","description":"unknown operation: Nope"}})"},
      {R"({"call": "GroupCount", "id": [1]})",
       R"({"error":{"number":-2147024809,"source":"pipedex-cli","description":"\"id\" must be a string, a number, a boolean or null"}})"},
  };
  std::vector<std::string> requests;
  for (const auto& row : rows) requests.push_back(row.first);
  const auto lines = RunBatch({"--component-dir", SampleDataDir(), "--locale", "en_US"}, requests);
  ASSERT_EQ(lines.size(), std::size(rows));
  for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], rows[i].second) << rows[i].first;
}

TEST(CliInfo, FindsTheShippedSampleCatalogue) {
  int status = -1;
  std::string out = RunCli({"info", "--json"}, &status);
  ASSERT_EQ(status, 0) << out;
  auto info = json::parse(out);
  EXPECT_NE(info["SystemXMLPath"].get<std::string>().find("/Data/SystemPipedex.xml"), std::string::npos);
}

}  // namespace
}  // namespace pipedex::testing
