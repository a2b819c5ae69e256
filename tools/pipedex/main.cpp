// pipedex: the command-line tool of the Pipedex catalogue component.

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "session.h"

namespace {

// Edit distance of two names.
std::size_t Distance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// When no command was recognised and a word stands where the command goes:
// "unknown command NAME", with the nearest command. True when said.
bool UnknownCommand(const CLI::App& app, int argc, char** argv) {
  if (!app.get_subcommands().empty()) return false;
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (word.empty() || word[0] == '-') {
      // A global option's value follows it unless it is given with "=".
      const CLI::Option* option = word.size() > 2 ? app.get_option_no_throw(word.substr(0, word.find('='))) : nullptr;
      if (option && option->get_type_size() != 0 && word.find('=') == std::string::npos) ++i;
      continue;
    }
    std::string nearest;
    std::size_t best = 3;  // no suggestion beyond two edits
    for (const CLI::App* command : app.get_subcommands({}))
      if (std::size_t d = Distance(word, command->get_name()); d < best) best = d, nearest = command->get_name();
    std::cerr << "pipedex: unknown command " << word;
    if (!nearest.empty()) std::cerr << "; did you mean " << nearest << "?";
    std::cerr << " (pipedex --help lists the commands)\n";
    return true;
  }
  return false;
}

// The tool itself; main() adds the last resort for failures no command answered.
int Run(int argc, char** argv) {
  using namespace pipedex::cli;
  CLI::App app{"pipedex: questions and answers about a piping material catalogue"};
  app.set_version_flag("--version", "pipedex " PIPEDEX_VERSION);
  app.footer(
      "The catalogue is the file given by --catalogue or $PIPEDEX_CATALOGUE; else SystemPipedex.xml\n"
      "beside the library, in its Data folder, or the file named by DataPath in the registry file:\n"
      "$PIPEDEX_REGISTRY, else /etc/pipedex/registry.reg, else the share/pipedex/registry.reg\n"
      "installed with the library. Global options may also follow the command.\n"
      "Run `pipedex COMMAND --help` for a command's arguments and examples.\n"
      "Errors of the component are printed on stderr with their number in hexadecimal; the exit\n"
      "status is then 1 (2 for a usage error, 3 when memory ran out: error 0x8007000E, Out of memory).\n"
      "Guides: docs/cli.md, docs/api.md, docs/python.md, docs/lsp.md,\n"
      "docs/catalogue-format.md (installed in share/doc/pipedex/docs/).\n"
      "\n"
      "Examples:\n"
      "  pipedex info\n"
      "  pipedex check --catalogue plant.xml\n"
      "  pipedex search elbow\n"
      "  pipedex tree --group Elbows\n"
      "  pipedex call GetSKEYData ELBW\n"
      "  echo '{\"call\": \"GroupCount\"}' | pipedex batch\n"
      "  PIPEDEX_REGISTRY=/usr/local/share/pipedex/registry.reg pipedex info");
  app.require_subcommand(1);

  app.fallthrough();

  Session session;
  session.app = &app;
  app.add_option("--catalogue", session.catalogueFile,
                 "Catalogue file of any name to use as the system file (the project file and language variants "
                 "are looked for beside it)")
      ->envname("PIPEDEX_CATALOGUE");
  app.add_option("--component-dir", session.options.componentFolder,
                 "Folder taken as the component's own folder (where SystemPipedex.xml or Data/ is looked for)");
  app.add_option("--registry", session.options.registryFile, "Registry file to read the DataPath value from");
  app.add_option("--locale", session.options.locale, "Locale as ll_CC (e.g. de_AT) choosing the language variant");
  app.add_option("--project", session.projectFile, "Project file to load after construction");
  app.add_option("--user", session.userFile, "User file to load after the project file");
  app.add_flag_callback(
      "--no-index", [&session] { session.options.indexFolder = "off"; },
      "Neither read nor write a compiled index of the catalogue (as PIPEDEX_CACHE=off)");

  const OperationTable table = BuildOperationTable();
  AddCallCommands(app, session, table);
  AddCoreCommands(app, session);
  AddModelCommands(app, session);
  AddQueryCommands(app, session);
  AddRuleCommands(app, session);
  AddOverlayCommands(app, session);
  AddTreeCommand(app, session);
  AddCheckCommand(app, session);
  AddCacheCommand(app, session);
  AddSearchCommand(app, session);
  AddLspCommand(app, session);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() != 0 && UnknownCommand(app, argc, argv)) return 2;
    int code = app.exit(e);
    return code == 0 ? 0 : 2;
  }
  return session.exitCode;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (...) {
    return pipedex::cli::ReportEscapedFailure();
  }
}
