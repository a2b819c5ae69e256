// `pipedex batch` keeps answering whatever arrives on its standard input.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <sstream>

#include <nlohmann/json.hpp>

#include "test_support.h"

namespace pipedex::testing {
namespace {

using nlohmann::json;

struct BatchRun {
  std::vector<std::string> lines;
  int status = -1;  // the raw wait status
};

// Runs `pipedex --component-dir DIR batch` with exactly these bytes as input.
BatchRun RunRawBatch(const TempDir& dir, const std::string& input) {
  std::string in = dir.Write("input.bin", input);
  std::string out = dir.path() + "/output.txt";
  std::string command = Quote(PIPEDEX_CLI_PATH) + " --component-dir " + Quote(dir.path()) + " batch < " + Quote(in) +
                        " > " + Quote(out) + " 2>/dev/null";
  BatchRun run;
  run.status = std::system(command.c_str());
  std::istringstream output(ReadFile(out));
  for (std::string line; std::getline(output, line);) run.lines.push_back(line);
  return run;
}

void ExpectCliError(const std::string& line) {
  json answer = json::parse(line);  // every answer is valid JSON, even for invalid input
  ASSERT_TRUE(answer.contains("error")) << line.substr(0, 200);
  EXPECT_EQ(answer["error"]["source"], "pipedex-cli");
  EXPECT_TRUE(answer["error"]["number"].is_number_integer());
}

TEST(BatchRobustness, EveryBadLineGetsAnErrorLineAndTheSessionGoesOn) {
  TempDir dir;
  dir.Write("SystemPipedex.xml", Catalogue("<A_CPT><Pipes/></A_CPT>"));
  std::string deep(200000, '[');
  deep += std::string(200000, ']');
  const std::vector<std::string> bad = {
      R"({"call": "SystemXMLPath",)",                               // malformed JSON
      R"({"call": "NoSuchOperation"})",                             // unknown operation
      R"({"call": "DumpXML", "args": [42]})",                       // wrong argument type
      R"({"call": "DumpXML", "args": ["a", "b"]})",                 // too many arguments
      R"({"call": "DumpXML"})",                                     // too few arguments
      R"({"call": 7})",                                             // operation name of the wrong type
      "{\"call\": \"DumpXML\", \"args\": [\"\xFF\xFE\"]}",          // invalid UTF-8 inside a string
      "{\"call\": \"SystemXMLPath\", \"args\": " + deep + "}",      // nesting 200 000 levels deep
      "{\"call\": \"DumpXML\", \"args\": [" + deep + "]}",          // the same as an argument value
      std::string("{\"call\": \"Sys") + '\0' + "temXMLPath\"}",     // a zero byte
      R"({"set": "NoSuchProperty", "value": [[[]]]})",
      R"("just a string")",
  };
  std::string input;
  for (const auto& line : bad) input += line + "\n";
  input += R"({"call": "SystemXMLPath"})" "\n";
  input += R"({"call": "GetSKEYData", "args": ["ELBW"]})" "\n";
  input += R"({"call": "SystemXMLPa)";  // the input ends in the middle of a line

  BatchRun run = RunRawBatch(dir, input);
  ASSERT_TRUE(WIFEXITED(run.status)) << "the batch did not end by itself";
  EXPECT_EQ(WEXITSTATUS(run.status), 0);
  ASSERT_EQ(run.lines.size(), bad.size() + 3);
  for (std::size_t i = 0; i < bad.size(); ++i) {
    SCOPED_TRACE("request " + std::to_string(i));
    ExpectCliError(run.lines[i]);
  }
  EXPECT_EQ(json::parse(run.lines[bad.size()])["result"], dir.path() + "/SystemPipedex.xml");
  EXPECT_EQ(json::parse(run.lines[bad.size() + 1]),
            json::parse(R"({"result": false, "out": {"Description": "", "CP_1_Prep": "XX--", "CP_2_Prep": "XX--",
                            "CP_3_Prep": "XX--", "CP_4_Prep": "XX--"}})"));
  ExpectCliError(run.lines.back());

  run = RunRawBatch(dir, "");  // no input at all
  EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0 && run.lines.empty());
}

TEST(BatchRobustness, TenMegabyteLinesAreAnsweredAndOverLongOnesRefused) {
  TempDir dir;
  dir.Write("SystemPipedex.xml", Catalogue(""));
  const std::string huge(10 * 1024 * 1024, 'A');
  // A line over the 64 MiB cap is skipped to its end and answered with an error.
  const std::string overLong(64 * 1024 * 1024 + 1, 'A');
  std::string input = "{\"call\": \"SystemXMLPath\", \"args\": [\"" + huge + "\"]}\n" + huge + "\n" + overLong +
                      "\n{\"call\": \"ProjectXMLPath\"}\n";
  BatchRun run = RunRawBatch(dir, input);
  ASSERT_TRUE(WIFEXITED(run.status));
  EXPECT_EQ(WEXITSTATUS(run.status), 0);
  ASSERT_EQ(run.lines.size(), 4u);
  ExpectCliError(run.lines[0]);
  ExpectCliError(run.lines[1]);
  EXPECT_NE(run.lines[2].find("request line longer than 67108864 bytes"), std::string::npos) << run.lines[2];
  EXPECT_EQ(json::parse(run.lines[3])["result"], "");
}

}  // namespace
}  // namespace pipedex::testing
