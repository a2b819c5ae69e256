// The CLI for people: help with examples for every command, each in the guide.

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

}  // namespace
}  // namespace pipedex::testing::docs
