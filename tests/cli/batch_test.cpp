// `pipedex batch`: one answer line per request line, whatever arrives on its
// standard input, until the input ends.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "test_support.h"

namespace pipedex::testing {
namespace {

using nlohmann::json;

// A request the CLI refuses: its error, whose description holds the given text.
void ExpectCliError(const std::string& line, const std::string& description) {
  const json answer = json::parse(line);  // every answer is valid JSON, even for invalid input
  EXPECT_EQ(answer["error"]["source"], "pipedex-cli") << line.substr(0, 200);
  EXPECT_EQ(answer["error"]["number"], -2147024809) << line.substr(0, 200);
  EXPECT_NE(answer["error"]["description"].get<std::string>().find(description), std::string::npos) << line.substr(0, 200);
}

// Typed answers, descriptions and echoed ids (besides the guide's transcript)
// and hostile lines on the sample catalogue, in one session. An answer that
// is not a JSON object is a part of the description of the CLI's error.
TEST(CliBatch, AnswersEachLineAndGoesOn) {
  const std::string deep = std::string(200000, '[') + std::string(200000, ']');
  const std::string huge(10 * 1024 * 1024, 'A');
  std::string manyValues = R"({"call": "GroupCount", "args": [0)";
  for (int i = 1; i < 1048576; ++i) manyValues += ",0";
  manyValues += "]}";
  const std::pair<std::string, std::string> rows[] = {
      {R"({"call": "GetGroup", "args": [-2147483648]})", R"({"result":""})"},
      {R"({"call": "PCFAttributeCheck", "args": ["spool-identifier"]})", R"({"result":4})"},
      {R"({"describe": "GetConfigurationForAngle", "id": 7})", R"({"id":7,"result":{"operation":"GetConfigurationForAngle",)"
       R"("params":[{"name":"Angle","direction":"in","type":"number"}],"result":"string"}})"},
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
      // Lines under the cap whose value would take far more than their text: measured, not built.
      {std::string(64 * 1024 * 1024, '['), "request too large: more than 1048576 JSON values or nested deeper than 262144"},
      {manyValues, "request too large"},
      // A line over the 64 MiB cap is skipped to its end.
      {std::string(64 * 1024 * 1024 + 1, 'A'), "request line longer than 67108864 bytes"},
  };
  std::string input;
  for (const auto& row : rows) input += row.first + "\n";
  TempDir dir;
  const std::string file = dir.Write("input.bin", input + R"({"call": "Grou)");
  int status = -1;
  std::istringstream output(Execute(Quote(PIPEDEX_CLI_PATH) + " --component-dir " + Quote(SampleDataDir()) +
                                    " --locale en_US batch < " + Quote(file) + " 2>/dev/null", &status));
  std::vector<std::string> lines;
  for (std::string line; std::getline(output, line);) lines.push_back(line);
  EXPECT_EQ(status, 0);
  ASSERT_EQ(lines.size(), std::size(rows) + 1);  // the input ends in the middle of a line, answered too
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    if (rows[i].second.rfind('{', 0) == 0) EXPECT_EQ(lines[i], rows[i].second) << rows[i].first;
    else ExpectCliError(lines[i], rows[i].second);
  }
  ExpectCliError(lines.back(), "malformed request");
  EXPECT_EQ(Execute(Quote(PIPEDEX_CLI_PATH) + " batch < /dev/null", &status), "");  // no input at all
  EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace pipedex::testing
