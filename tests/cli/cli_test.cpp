// The CLI for people: help with examples for every command, the version,
// `pipedex tree`, component errors on stderr in hexadecimal, and completion.

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
  EXPECT_EQ(unknown.output, "pipedex: no group named \"Valves\" (pipedex groups lists the groups)\n");
}

TEST(CliErrors, ComponentErrorsGoToStderrInHexWithStatusOneAndSayWhereTheToolLooked) {
  TempDir dir;
  const std::string d = dir.path();
  const std::string noValue = dir.Write("novalue.reg", "[HKEY_LOCAL_MACHINE\\Software\\Zenrod\\Pipedex\\Settings]\n");
  const std::string elsewhere =
      dir.Write("elsewhere.reg", "[HKEY_LOCAL_MACHINE\\Software\\Zenrod\\Pipedex\\Settings]\n\"DataPath\"=\"/no/x.xml\"\n");
  const std::string noCatalogue =
      "error 0x80040201 (Pipedex): Path to Pipedex file not specified in registry and it does not exist "
      "in application directory\n";
  const std::string advice =
      "; use --catalogue FILE for a catalogue file of any name, --component-dir DIR for a folder holding "
      "SystemPipedex.xml, or --registry FILE or PIPEDEX_REGISTRY=FILE for a registry file whose DataPath names it\n";
  const std::string looked = "pipedex looked for SystemPipedex.xml in " + d + " and " + d + "/Data, then in the registry file ";
  struct Case {
    std::string options, command, stderrText;
  } cases[] = {
      {"--registry " + Quote(d + "/none.reg"), "info", noCatalogue + looked + d + "/none.reg (missing)" + advice},
      {"--registry " + Quote(d + "/none.reg"), "tree", noCatalogue + looked + d + "/none.reg (missing)" + advice},
      {"--registry " + Quote(d + "/none.reg"), "tree --json",
       R"({"number":-2147220991,"source":"Pipedex","description":"Path to Pipedex file not specified in registry and )"
       "it does not exist in application directory\"}\n"},
      {"--registry " + Quote(noValue), "info", noCatalogue + looked + noValue + " (no DataPath value)" + advice},
      {"--registry " + Quote(elsewhere), "skeys",
       "error 0x80040202 (Pipedex): Data file specified in registry ( /no/x.xml )not found . Reinstall the Zenrod "
       "Pipedex component\n" + looked + elsewhere + " (DataPath \"/no/x.xml\")" + advice},
  };
  for (const auto& c : cases) {
    const std::string command = "--component-dir " + Quote(d) + " " + c.options + " " + c.command;
    ShellResult quiet = Shell(Cli(command + " 2>/dev/null"));
    EXPECT_EQ(quiet.status, 1) << command;
    EXPECT_EQ(quiet.output, "") << command;
    EXPECT_EQ(Shell(Cli(command + " 2>&1 >/dev/null")).output, c.stderrText) << command;
  }
  // The machine-facing commands keep to the component's answer alone.
  EXPECT_EQ(Shell(Cli("--component-dir " + Quote(d) + " call GroupCount 2>&1")).output.find("looked"), std::string::npos);
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
      {"pipedex ch", "check"},
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
