#pragma once

// What the subcommands share: the global options, the one Pipedex instance
// they talk to, and helpers for readable output (aligned tables, or the same
// data as JSON with --json).

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <CLI/CLI.hpp>

#include "protocol.h"
#include "pipedex/check.h"
#include "pipedex/pipedex.h"

namespace pipedex::cli {

// The exit statuses: 0 an answer, 1 an error (of the component, or nothing
// found), 2 a usage error, 3 memory ran out (no fault of any file).
inline constexpr int kExitError = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitOutOfMemory = 3;

// The platform settings this tool starts from: none but the folder it counts
// as its library's when the library is built into it (see library_folder.cpp).
SystemPlatformOptions ToolPlatformOptions();

struct Session {
  SystemPlatformOptions options = ToolPlatformOptions();
  std::string catalogueFile;  // --catalogue, $PIPEDEX_CATALOGUE: the system file
  std::string projectFile;  // --project: loaded right after construction
  std::string userFile;     // --user: loaded after the project file
  int exitCode = 0;
  const CLI::App* app = nullptr;  // to tell whether the command asked for --json

  // Whether the command being run was given --json.
  bool WantsJson() const;

  // The instance, created on first use.
  Pipedex& Instance();
  // The system platform the instance uses.
  Platform& SystemPlatform();
  std::shared_ptr<Platform> SharedPlatform() {
    SystemPlatform();
    return platform_;
  }

 private:
  std::shared_ptr<Platform> platform_;
  std::unique_ptr<Pipedex> instance_;
};

// The system file the instance loads (or would, when it does not parse): the
// --catalogue file, else SystemPipedex.xml beside the component or in its Data
// folder, else the registry's DataPath; "" when none exists.
std::string SystemFileCandidate(Session& session);
// The DataPath text of the platform's registry, "" for none.
std::string DataPathValue(Platform& platform);

// One line for a human after a "no catalogue found" error: the folders and
// registry files looked at, the DataPath value read, and the options that
// point the tool at a catalogue.
std::string CatalogueHint(Platform& platform, const SystemPlatformOptions& options, const std::string& catalogueFile);

// Runs a human command body; a component error is printed on stderr with its
// number in hexadecimal (followed by CatalogueHint when no catalogue was
// found), or with --json as {"number", "source", "description"}, and sets
// exit status 1 (kExitOutOfMemory when memory ran out, in the component or
// in the tool). A parse error is shown on one line naming the file.
void RunCommand(Session& session, const std::function<void()>& body);

// The exit status of a failure that escaped a command, printed on stderr in
// the same form: an error of the component as such, running out of memory as
// kOutOfMemory, and any other failure as an error of the tool (status 1).
// Called in a catch block.
int ReportEscapedFailure() noexcept;

// A human command that found nothing: one line on stderr, exit status 1.
void NothingFound(Session& session, const std::string& message);

// A value as a person reads it: texts as they are, numbers without trailing
// zeros, yes/no, "(none)" for null and for an empty list, lists joined by ", ".
std::string Readable(const Json& value);
// A number as people write it: up to 15 significant digits, "." as separator.
std::string Number(double value);
// A text on one line of plain output: control characters (a line break in a
// file name among them) as \n, \r, \t or \xHH; every other byte as it is.
std::string OnOneLine(const std::string& text);
// A finding as one line of plain output: FILE:LINE:COLUMN: ... on one line
// whatever bytes the file name holds.
std::string FindingLine(const Finding& finding);

// Width of a cell in characters, as a terminal counts them (UTF-8 continuation bytes do not count).
std::size_t Width(const std::string& s);
// Prints rows under headers as an aligned table, or as a JSON array of
// objects keyed by the headers (the API's names).
void PrintTable(const std::vector<std::string>& headers, const std::vector<std::vector<Json>>& rows, bool json);
// Prints name/value pairs aligned, or as one JSON object.
void PrintFields(const std::vector<std::pair<std::string, Json>>& fields, bool json);

// The commands a run builds: every one (what help, a usage error and an
// unknown command show), or only the one its command line names, which is
// all that a run that goes well parses and calls.
struct CommandChoice {
  bool all = true;
  std::string name;  // the command named, when not all
  bool Wants(std::string_view command) const { return all || command == name; }
};

// Human commands of each area; each adds the commands of its area that the
// choice wants, in the order help lists them.
void AddCallCommands(CLI::App& app, Session& session, const CommandChoice& choice);
void AddCoreCommands(CLI::App& app, Session& session, const CommandChoice& choice);
void AddModelCommands(CLI::App& app, Session& session, const CommandChoice& choice);
void AddQueryCommands(CLI::App& app, Session& session, const CommandChoice& choice);
void AddRuleCommands(CLI::App& app, Session& session, const CommandChoice& choice);
void AddOverlayCommands(CLI::App& app, Session& session, const CommandChoice& choice);
// `pipedex tree`: groups, component types and SKEYs as a tree.
void AddTreeCommand(CLI::App& app, Session& session, const CommandChoice& choice);
// `pipedex check` and `pipedex search`.
void AddCheckCommand(CLI::App& app, Session& session, const CommandChoice& choice);
void AddCacheCommand(CLI::App& app, Session& session, const CommandChoice& choice);
void AddSearchCommand(CLI::App& app, Session& session, const CommandChoice& choice);
// `pipedex lsp`: the language server.
void AddLspCommand(CLI::App& app, Session& session, const CommandChoice& choice);

}  // namespace pipedex::cli
