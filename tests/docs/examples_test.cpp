// The guides' examples run and print what the guides say they print: the C++
// programs of docs/examples (built with the tests, on the shipped sample
// catalogue), the batch transcript, the shell script and the Python client.

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "docs/docs_support.h"
#include "test_support.h"

namespace pipedex::testing::docs {
namespace {

// Runs a program and expects its output to be docs/examples/NAME.out.
void ExpectOutput(const std::string& name, const std::string& command) {
  ShellResult r = Shell(command);
  EXPECT_EQ(r.status, 0) << name << ":\n" << r.output;
  EXPECT_EQ(r.output, ReadSource("docs/examples/" + name + ".out")) << name;
}

TEST(DocExamples, CppProgramsPrintWhatTheGuideShows) {
  for (const char* name : {"quick_start", "enumerate", "look_up", "validate", "threads"})
    ExpectOutput(name, Quote(BuiltProgram(std::string("docs-example-") + name)));
  ExpectOutput("platform", Quote(BuiltProgram("docs-example-platform")) + " data");
  ExpectOutput("tree-elbows", "pipedex --component-dir data tree --group Elbows");
  ExpectOutput("catalogue_file", Quote(BuiltProgram("docs-example-catalogue_file")) + "; echo \"exit status $?\"");

  TempDir dir;
  std::string saved = dir.path() + "/merged.xml";
  ExpectOutput("overlays", Quote(BuiltProgram("docs-example-overlays")) + " examples/ProjectPipedex.xml " +
                               Quote(saved));
  const std::string dump = ReadFile(saved);
  EXPECT_NE(dump.find(">FLWX</SKEY>"), std::string::npos);
  EXPECT_NE(dump.find("<ProjectItems"), std::string::npos);
}

// docs/examples/batch-session.txt: requests and answers, line by line.
TEST(DocExamples, BatchTranscriptIsWhatTheCliAnswers) {
  std::istringstream transcript(ReadSource("docs/examples/batch-session.txt"));
  std::vector<std::string> requests, answers;
  std::string line;
  for (int i = 0; std::getline(transcript, line); ++i) (i % 2 == 0 ? requests : answers).push_back(line);
  ASSERT_EQ(requests.size(), answers.size());
  ASSERT_GE(requests.size(), 6u);
  auto got = RunBatch({"--component-dir", SampleDataDir(), "--locale", "en_US"}, requests);
  EXPECT_EQ(got, answers);
}

TEST(DocExamples, CliCommandsPrintWhatTheGuidesShow) {
  ExpectOutput("check-mistakes",
               "pipedex check --catalogue docs/examples/catalogue/mistakes.xml; echo \"exit status $?\"");
  ExpectOutput("search-socket", "pipedex --component-dir data search socket");
  ExpectOutput("describe-GetSKEYData", "pipedex describe GetSKEYData");
  ExpectOutput("skey-json", "pipedex --component-dir data skey PB3D --json");
  ExpectOutput("error-json", "pipedex --catalogue /no/plant.xml skeys --json 2>&1; echo \"exit status $?\"");
}

TEST(DocExamples, ShellAndPythonDriversPrintWhatTheGuideShows) {
  ExpectOutput("skey-check.sh", "sh docs/examples/skey-check.sh ELBW VTFL XXXX; echo \"exit status $?\"");
  if (Shell("command -v python3").status != 0) GTEST_SKIP() << "python3 is not installed";
  ExpectOutput("batch_client.py", "python3 docs/examples/batch_client.py");
}

}  // namespace
}  // namespace pipedex::testing::docs
