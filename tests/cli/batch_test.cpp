// `pipedex batch`: one answer line per request line, whatever arrives on its
// standard input, until the input ends.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "test_support.h"

namespace pipedex::testing {
namespace {

using nlohmann::json;

struct BatchRun {
  std::vector<std::string> lines;
  int status = -1;
};

// Runs `pipedex [globalArgs] batch` with exactly these bytes as input.
BatchRun RunRawBatch(const std::string& globalArgs, const std::string& input) {
  TempDir dir;
  BatchRun run;
  std::istringstream output(Execute(Quote(PIPEDEX_CLI_PATH) + " " + globalArgs + " batch < " +
                                        Quote(dir.Write("input.bin", input)) + " 2>/dev/null",
                                    &run.status));
  for (std::string line; std::getline(output, line);) run.lines.push_back(line);
  return run;
}

// A request the CLI refuses: its error, whose description holds the given text.
void ExpectCliError(const std::string& line, const std::string& description) {
  const json answer = json::parse(line);  // every answer is valid JSON, even for invalid input
  EXPECT_EQ(answer["error"]["source"], "pipedex-cli") << line.substr(0, 200);
  EXPECT_EQ(answer["error"]["number"], -2147024809) << line.substr(0, 200);
  EXPECT_NE(answer["error"]["description"].get<std::string>().find(description), std::string::npos) << line.substr(0, 200);
}

// Counts, getters, out values, errors, descriptions, echoed ids (besides the
// guide's transcript) and hostile lines on the sample catalogue, in one
// session. An answer that is not a JSON object is a part of the description
// of the CLI's error.
TEST(CliBatch, AnswersEachLineAndGoesOn) {
  const std::string deep = std::string(200000, '[') + std::string(200000, ']');
  const std::string huge(10 * 1024 * 1024, 'A');
  const std::pair<std::string, std::string> rows[] = {
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
      {R"({"describe": "GetConvertedBore", "id": 7})",
       R"({"id":7,"result":{"operation":"GetConvertedBore","params":[)"
       R"({"name":"RequiredUnits","direction":"in","type":"string"},)"
       R"({"name":"CurrentUnits","direction":"in","type":"string"},)"
       R"({"name":"Bore","direction":"in","type":"number"}],"result":"number"}})"},
      {R"({"describe": "Nope", "id": null})",
       R"({"id":null,"error":{"number":-2147024809,"source":"pipedex-cli","description":"unknown operation: Nope"}})"},
      {R"({"call": "GroupCount", "id": [1]})",
       R"({"error":{"number":-2147024809,"source":"pipedex-cli","description":"\"id\" must be a string, a number, a boolean or null"}})"},
      // Lines the CLI refuses: the session goes on after each.
      {R"({"call": "SystemXMLPath",)", "malformed request"},
      {R"({"call": "DumpXML", "args": ["a", "b"]})", "DumpXML takes at most 1 arguments"},
      {R"({"call": "DumpXML"})", "DumpXML: missing argument FileName"},
      {R"({"call": 7})", "a request needs \"call\" with an operation name"},
      {"{\"call\": \"DumpXML\", \"args\": [\"\xFF\xFE\"]}", "malformed request"},  // invalid UTF-8 inside a string
      {"{\"call\": \"SystemXMLPath\", \"args\": " + deep + "}", "SystemXMLPath takes at most 0 arguments"},
      {"{\"call\": \"DumpXML\", \"args\": [" + deep + "]}", "DumpXML argument FileName must be a string"},
      {std::string("{\"call\": \"Sys") + '\0' + "temXMLPath\"}", "malformed request"},
      {R"({"set": "NoSuchProperty", "value": [[[]]]})", "unknown property: NoSuchProperty"},
      {R"("just a string")", "a request must be a JSON object"},
      {"{\"call\": \"SystemXMLPath\", \"args\": [\"" + huge + "\"]}", "SystemXMLPath takes at most 0 arguments"},
      {huge, "malformed request"},
      // A line over the 64 MiB cap is skipped to its end.
      {std::string(64 * 1024 * 1024 + 1, 'A'), "request line longer than 67108864 bytes"},
      {R"({"call": "GetSKEYData", "args": ["ZZZZ"]})",
       R"({"result":false,"out":{"Description":"","CP_1_Prep":"XX--","CP_2_Prep":"XX--","CP_3_Prep":"XX--","CP_4_Prep":"XX--"}})"},
  };
  std::string input;
  for (const auto& row : rows) input += row.first + "\n";
  auto run = RunRawBatch("--component-dir " + Quote(SampleDataDir()) + " --locale en_US", input + R"({"call": "Grou)");
  EXPECT_EQ(run.status, 0);
  ASSERT_EQ(run.lines.size(), std::size(rows) + 1);  // the input ends in the middle of a line, answered too
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    if (rows[i].second.rfind('{', 0) == 0) EXPECT_EQ(run.lines[i], rows[i].second) << rows[i].first;
    else ExpectCliError(run.lines[i], rows[i].second);
  }
  ExpectCliError(run.lines.back(), "malformed request");
  run = RunRawBatch("", "");  // no input at all
  EXPECT_TRUE(run.status == 0 && run.lines.empty());
}

}  // namespace
}  // namespace pipedex::testing
