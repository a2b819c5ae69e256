// The CLI for people: help with examples for every command, and completion in
// bash.

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "docs/docs_support.h"
#include "test_support.h"

namespace pipedex::testing::docs {
namespace {

TEST(CliHelp, EveryCommandExplainsItselfWithExamplesAndIsInTheGuide) {
  ShellResult top = Shell("pipedex --help");
  EXPECT_EQ(top.status, 0);
  EXPECT_NE(top.output.find("Examples:\n  pipedex info\n"), std::string::npos) << top.output;
  EXPECT_NE(top.output.find("PIPEDEX_REGISTRY"), std::string::npos);

  // The subcommands it lists: the indented names after its "Subcommands:" line.
  const std::size_t from = std::min(top.output.find("Subcommands:"), top.output.find("SUBCOMMANDS:"));
  ASSERT_NE(from, std::string::npos) << top.output;
  const std::string listing = top.output.substr(from, top.output.find("\n\n", from) - from);
  static const std::regex entry(R"(\n  ([a-z][a-z-]*)\s)");
  std::vector<std::string> names;
  for (std::sregex_iterator m(listing.begin(), listing.end(), entry), end; m != end; ++m) names.push_back((*m)[1]);
  EXPECT_GE(names.size(), 4u);
  const std::string guide = ReadSource("docs/cli.md");
  for (const auto& name : names) {
    ShellResult help = Shell("pipedex " + name + " --help");
    EXPECT_EQ(help.status, 0) << name;
    EXPECT_NE(help.output.find("Example"), std::string::npos) << "pipedex " << name << " --help has no example";
    EXPECT_TRUE(std::regex_search(guide, std::regex("\n#+ .*`pipedex " + name + "`")))
        << "docs/cli.md has no heading for " << name;
  }
}

TEST(CliCompletion, CompletesSubcommandsOptionsAndFolders) {
  TempDir dir;
  dir.Write("catalogues/SystemPipedex.xml", "");
  struct Case {
    std::string line;  // the words typed; the last one is being completed
    std::string expected;
  } cases[] = {
      {"pipedex e", "elbow elbows endprep endpreps"},
      {"pipedex --reg", "--registry"},
      {"pipedex --registry x.reg tr", "tree"},
      {"pipedex tree --", "--group --help --json"},
      {"pipedex check --", "--help --json --strict"},
      {"pipedex describe GetSKEY", "GetSKEY GetSKEYAttribute GetSKEYData"},
      {"pipedex --catalogue " + dir.path() + "/catalogues/Sys", dir.path() + "/catalogues/SystemPipedex.xml"},
      {"pipedex --component-dir " + dir.path() + "/cat", dir.path() + "/catalogues"},
  };
  for (const auto& c : cases) {
    ShellResult r = Shell("bash -c " + Quote("source tools/completion/pipedex.bash; read -ra COMP_WORDS <<<" +
                                             Quote(c.line) + "; COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _pipedex; "
                                             "printf '%s\\n' \"${COMPREPLY[@]}\" | sort | paste -sd ' '"));
    EXPECT_EQ(r.output, c.expected + "\n") << c.line;
  }
}

}  // namespace
}  // namespace pipedex::testing::docs
