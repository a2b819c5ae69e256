// pipedex: the command-line tool of the Pipedex catalogue component.

#include <malloc.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "session.h"

namespace {

using namespace pipedex::cli;

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

// The index of the word standing where the command goes (the first word that
// is neither an option nor the value of a global option), argc when none.
int CommandWord(const CLI::App& app, int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (!word.empty() && word[0] != '-') return i;
    // A global option's value follows it unless it is given with "=".
    const CLI::Option* option = word.size() > 2 ? app.get_option_no_throw(word.substr(0, word.find('='))) : nullptr;
    if (option && option->get_type_size() != 0 && word.find('=') == std::string::npos) ++i;
  }
  return argc;
}

// When no command was recognised and a word stands where the command goes:
// "unknown command NAME", with the nearest command. True when said.
bool UnknownCommand(const CLI::App& app, int argc, char** argv) {
  if (!app.get_subcommands().empty()) return false;
  const int at = CommandWord(app, argc, argv);
  if (at == argc) return false;
  const std::string word = argv[at];
  std::string nearest;
  std::size_t best = 3;  // no suggestion beyond two edits
  for (const CLI::App* command : app.get_subcommands({}))
    if (std::size_t d = Distance(word, command->get_name()); d < best) best = d, nearest = command->get_name();
  std::cerr << "pipedex: unknown command " << word;
  if (!nearest.empty()) std::cerr << "; did you mean " << nearest << "?";
  std::cerr << " (pipedex --help lists the commands)\n";
  return true;
}

constexpr const char* kVersion = "pipedex " PIPEDEX_VERSION;

// The root command with its global options, which fill the session.
void AddGlobalOptions(CLI::App& app, Session& session) {
  app.set_version_flag("--version", kVersion);
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
}

void AddCommands(CLI::App& app, Session& session, const CommandChoice& choice) {
  AddCallCommands(app, session, choice);
  AddCoreCommands(app, session, choice);
  AddModelCommands(app, session, choice);
  AddQueryCommands(app, session, choice);
  AddRuleCommands(app, session, choice);
  AddOverlayCommands(app, session, choice);
  AddTreeCommand(app, session, choice);
  AddCheckCommand(app, session, choice);
  AddCacheCommand(app, session, choice);
  AddSearchCommand(app, session, choice);
  AddLspCommand(app, session, choice);
}

constexpr const char* kDescription = "pipedex: questions and answers about a piping material catalogue";

// The exit status of a command line that did not parse, after saying why.
int UsageFailure(const CLI::App& app, const CLI::ParseError& e, int argc, char** argv) {
  if (e.get_exit_code() != 0 && UnknownCommand(app, argc, argv)) return 2;
  int code = app.exit(e);
  return code == 0 ? 0 : 2;
}

// Ends the process with code once all it wrote to standard output is out.
// Output that could not be written (a full disk, say) is an error: the status
// is then 1, unless the command had failed already. The instance and the
// command line are left as they are: the system takes back their memory and
// mappings at once, and taking them apart first would only lengthen a
// process that asks one question of a compiled index.
[[noreturn]] void Finish(int code) {
  errno = 0;
  std::cout.flush();
  if (!std::cout || std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "pipedex: writing the output failed%s%s\n", errno ? ": " : "", errno ? std::strerror(errno) : "");
    if (code == 0) code = kExitError;
  }
  std::exit(code);
}

// The tool itself; main() adds the last resort for failures no command answered.
int Run(int argc, char** argv) {
  // The version alone is answered as the parser answers it, without one.
  if (argc == 2 && std::string_view(argv[1]) == "--version") {
    std::cout << kVersion << std::endl;
    return 0;
  }
  {
    // First only the command the line names is built. A line that parses
    // with it alone parses the same with every command there: global options
    // alone stand before the command, and no word after it is taken for
    // another command (one command at most). Anything else, help and usage
    // errors among them, is answered by the full set below, as it always was.
    Session session;
    CLI::App app{kDescription};
    AddGlobalOptions(app, session);
    const int at = CommandWord(app, argc, argv);
    AddCommands(app, session, CommandChoice{false, at < argc ? argv[at] : ""});
    bool parsed = false;  // the command ran: a failure it raised is answered here, not run again
    app.parse_complete_callback([&parsed] { parsed = true; });
    try {
      app.parse(argc, argv);
      Finish(session.exitCode);
    } catch (const CLI::CallForVersion& e) {
      return UsageFailure(app, e, argc, argv);
    } catch (const CLI::ParseError& e) {
      if (parsed) return UsageFailure(app, e, argc, argv);
    }
  }
  Session session;
  CLI::App app{kDescription};
  AddGlobalOptions(app, session);
  AddCommands(app, session, CommandChoice{});
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return UsageFailure(app, e, argc, argv);
  }
  Finish(session.exitCode);
}

// Memory the process frees is kept for what it allocates next instead of
// being handed back to the system at once and mapped afresh: every page the
// system maps anew costs a fault, and a load that builds the compiled index
// frees and allocates tens of megabytes in turn. Up to 64 MB stays held once
// freed; blocks of up to 32 MB come from the heap, where they can be reused.
void KeepFreedMemoryForReuse() {
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
}

}  // namespace

int main(int argc, char** argv) {
  KeepFreedMemoryForReuse();
  int code;
  try {
    code = Run(argc, argv);
  } catch (...) {
    code = ReportEscapedFailure();
  }
  Finish(code);
}
