// The CLI for people: help with examples for every command, the version,
// `pipedex tree`, and component errors on stderr in hexadecimal.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>

#include "docs/docs_support.h"
#include "test_support.h"

namespace pipedex::testing::docs {
namespace {

std::string Cli(const std::string& args) { return Quote(BuiltProgram("pipedex")) + " " + args; }

// The subcommand names that `pipedex --help` lists.
std::vector<std::string> Subcommands() {
  std::istringstream help(Shell(Cli("--help")).output);
  std::vector<std::string> names;
  std::string line;
  bool listing = false;
  static const std::regex entry(R"(^  ([a-z][a-z-]*)\s.*)");
  while (std::getline(help, line)) {
    if (line == "Subcommands:" || line == "SUBCOMMANDS:") listing = true;
    else if (listing && line.empty()) listing = false;
    std::smatch m;
    if (listing && std::regex_match(line, m, entry)) names.push_back(m[1]);
  }
  return names;
}

TEST(CliHelp, EveryCommandExplainsItselfWithExamplesAndIsInTheGuide) {
  ShellResult top = Shell(Cli("--help"));
  EXPECT_EQ(top.status, 0);
  EXPECT_NE(top.output.find("Examples: pipedex info"), std::string::npos) << top.output;
  EXPECT_NE(top.output.find("PIPEDEX_REGISTRY"), std::string::npos);
  EXPECT_EQ(Shell(Cli("--version")).output, std::string("pipedex ") + PIPEDEX_VERSION + "\n");

  auto names = Subcommands();
  EXPECT_GE(names.size(), 4u);
  std::string guide = ReadSource("docs/cli.md");
  for (const auto& name : names) {
    ShellResult help = Shell(Cli(name + " --help"));
    EXPECT_EQ(help.status, 0) << name;
    EXPECT_NE(help.output.find("Example"), std::string::npos) << "pipedex " << name << " --help has no example";
    EXPECT_TRUE(std::regex_search(guide, std::regex("\n#+ .*`pipedex " + name + "`")))
        << "docs/cli.md has no heading for " << name;
  }
}

const std::string kTreeCatalogue = Catalogue(
    "<A_CPT>"
    "<Pipes><Pipe PCFTYPE='PIPE' Configuration='Straight'/></Pipes>"
    "<Elbows><Elbow-90 PCFTYPE='ELBOW' Configuration='Angle_90'><SKEY>EL**</SKEY><SKEY>ELBW</SKEY></Elbow-90>"
    "<Bögen-Spezial PCFTYPE='ELBOW'><SKEY>ELSP</SKEY></Bögen-Spezial></Elbows>"
    "<Empty/>"
    "</A_CPT>");

TEST(CliTree, ShowsGroupsComponentTypesAndSkeysAligned) {
  TempDir dir;
  dir.Write("SystemPipedex.xml", kTreeCatalogue);
  const std::string global = "--component-dir " + Quote(dir.path()) + " ";
  ShellResult tree = Shell(Cli(global + "tree"));
  EXPECT_EQ(tree.status, 0);
  EXPECT_EQ(tree.output,
            "Group / component type   PCF type  Configuration  SKEYs\n"
            "-----------------------  --------  -------------  -----\n"
            "Pipes\n"
            "└─ Pipe                  PIPE      Straight\n"
            "Elbows\n"
            "├─ Elbow-90              ELBOW     Angle_90       EL** ELBW\n"
            "└─ Bögen-Spezial         ELBOW                    ELSP\n"
            "Empty\n"
            "└─ (no component types)\n");

  // One group, named in other letter case; the same data as JSON.
  ShellResult json = Shell(Cli(global + "tree --group elbows --json"));
  EXPECT_EQ(json.status, 0);
  EXPECT_EQ(nlohmann::json::parse(json.output), nlohmann::json::parse(R"([{"Group": "Elbows", "ComponentTypes": [
      {"ComponentType": "Elbow-90", "PCFTYPE": "ELBOW", "Configuration": "Angle_90", "SKEYs": ["EL**", "ELBW"]},
      {"ComponentType": "Bögen-Spezial", "PCFTYPE": "ELBOW", "Configuration": "", "SKEYs": ["ELSP"]}]}])"));

  ShellResult unknown = Shell(Cli(global + "tree --group Valves 2>&1"));
  EXPECT_EQ(unknown.status, 1);
  EXPECT_NE(unknown.output.find("no group named \"Valves\""), std::string::npos) << unknown.output;
}

TEST(CliErrors, ComponentErrorsGoToStderrInHexWithStatusOne) {
  TempDir empty;
  const std::string global = "--component-dir " + Quote(empty.path()) + " --registry " + Quote(empty.path() + "/none.reg");
  for (const char* command : {"info", "tree", "tree --json"}) {
    ShellResult quiet = Shell(Cli(global + " " + command + " 2>/dev/null"));
    EXPECT_EQ(quiet.status, 1) << command;
    EXPECT_EQ(quiet.output, "") << command;
    ShellResult err = Shell(Cli(global + " " + command + " 2>&1 >/dev/null"));
    EXPECT_EQ(err.output,
              "error 0x80040201 (Pipedex): Path to Pipedex file not specified in registry and it does not exist "
              "in application directory\n")
        << command;
  }
}

}  // namespace
}  // namespace pipedex::testing::docs
