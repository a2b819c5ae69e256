#pragma once

// What the subcommands share: the global options, the one Pipedex instance
// they talk to, and helpers for readable output (aligned tables, or the same
// data as JSON with --json).

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <CLI/CLI.hpp>

#include "protocol.h"
#include "pipedex/pipedex.h"

namespace pipedex::cli {

struct Session {
  SystemPlatformOptions options;
  std::string projectFile;  // --project: loaded right after construction
  int exitCode = 0;

  // The instance, created on first use.
  Pipedex& Instance();
  // The system platform the instance uses.
  Platform& SystemPlatform();

 private:
  std::shared_ptr<Platform> platform_;
  std::unique_ptr<Pipedex> instance_;
};

// One line for a human after a "no catalogue found" error: the folders and
// registry files looked at, the DataPath value read, and the options that
// point the tool at a catalogue.
std::string CatalogueHint(Platform& platform, const SystemPlatformOptions& options);

// Runs a human command body; a component error is printed on stderr with its
// number in hexadecimal (followed by CatalogueHint when no catalogue was
// found) and sets exit status 1.
void RunCommand(Session& session, const std::function<void()>& body);

// Prints rows under headers as an aligned table, or as a JSON array of objects.
void PrintTable(const std::vector<std::string>& headers, const std::vector<std::vector<std::string>>& rows,
                bool json);
// Prints name/value pairs aligned, or as one JSON object.
void PrintFields(const std::vector<std::pair<std::string, std::string>>& fields, bool json);

// Human commands of each area.
void AddCallCommands(CLI::App& app, Session& session, const OperationTable& table);
void AddCoreCommands(CLI::App& app, Session& session);
void AddModelCommands(CLI::App& app, Session& session);
void AddQueryCommands(CLI::App& app, Session& session);
void AddRuleCommands(CLI::App& app, Session& session);
void AddOverlayCommands(CLI::App& app, Session& session);
// `pipedex tree`: groups, component types and SKEYs as a tree.
void AddTreeCommand(CLI::App& app, Session& session);

}  // namespace pipedex::cli
