// The guides' examples print what the guides say they print: every
// docs/examples/NAME.out is the output of its program (the C++ examples are
// built with the tests and run on the shipped sample catalogue), and the batch
// transcript is what the CLI answers, line by line.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "docs/docs_support.h"
#include "test_support.h"

namespace pipedex::testing::docs {
namespace {

TEST(DocExamples, EveryOutputFileIsWhatItsProgramPrints) {
  TempDir dir;
  const auto cpp = [](const std::string& name) { return Quote(BuiltProgram("docs-example-" + name)); };
  const std::map<std::string, std::string> commands = {
      {"quick_start", cpp("quick_start")}, {"enumerate", cpp("enumerate")}, {"look_up", cpp("look_up")},
      {"validate", cpp("validate")}, {"threads", cpp("threads")}, {"platform", cpp("platform") + " data"},
      {"overlays", cpp("overlays") + " examples/ProjectPipedex.xml " + Quote(dir.File("merged.xml"))},
      {"tree-elbows", "pipedex --component-dir data tree --group Elbows"},
      {"skey-check.sh", "sh docs/examples/skey-check.sh ELBW VTFL XXXX; echo \"exit status $?\""},
      {"batch_client.py", "python3 docs/examples/batch_client.py"},
      {"catalogue_file", cpp("catalogue_file") + "; echo \"exit status $?\""},
      {"check-mistakes", "pipedex check --catalogue docs/examples/catalogue/mistakes.xml; echo \"exit status $?\""},
      {"search-socket", "pipedex --component-dir data search socket"},
      {"describe-GetSKEYData", "pipedex describe GetSKEYData"},
      {"skey-json", "pipedex --component-dir data skey PB3D --json"},
      {"error-json", "pipedex --catalogue /no/plant.xml skeys --json 2>&1; echo \"exit status $?\""}};
  const bool python = Shell("command -v python3").status == 0;
  int run = 0;
  for (const auto& entry : std::filesystem::directory_iterator(SourcePath("docs/examples"))) {
    const std::string name = entry.path().stem();
    if (entry.path().extension() != ".out" || name.rfind("python_", 0) == 0) continue;  // the module's own tests run those
    auto command = commands.find(name);
    ASSERT_NE(command, commands.end()) << "no program for docs/examples/" << name << ".out";
    if (name == "batch_client.py" && !python) continue;
    ShellResult r = Shell(command->second);
    EXPECT_EQ(r.status, 0) << name << ":\n" << r.output;
    EXPECT_EQ(r.output, ReadSource("docs/examples/" + name + ".out")) << name;
    ++run;
  }
  EXPECT_GE(run, 15);
  EXPECT_NE(ReadFile(dir.File("merged.xml")).find(">FLWX</SKEY>"), std::string::npos);

  std::istringstream transcript(ReadSource("docs/examples/batch-session.txt"));
  std::vector<std::string> requests, answers;
  std::string line;
  for (int i = 0; std::getline(transcript, line); ++i) (i % 2 == 0 ? requests : answers).push_back(line);
  ASSERT_GE(requests.size(), 6u);
  EXPECT_EQ(RunBatch({"--component-dir", SampleDataDir(), "--locale", "en_US"}, requests), answers);
}

}  // namespace
}  // namespace pipedex::testing::docs
