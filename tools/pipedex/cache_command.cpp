// `pipedex cache`: the compiled index of the catalogue, which lets a later
// process answer its first question without parsing the files: where it is,
// whether it is used, building it ahead of time, and removing it.

#include <iostream>

#include "pipedex/index.h"
#include "session.h"

namespace pipedex::cli {
namespace {

void PrintIndex(const IndexInfo& info, bool json) {
  Json files = Json::array();
  for (const std::string& f : info.files) files.push_back(f);
  PrintFields({{"path", info.path}, {"valid", info.valid}, {"state", info.state}, {"size", info.size}, {"files", files}},
              json);
}

}  // namespace

void AddCacheCommand(CLI::App& app, Session& session, const CommandChoice& choice) {
  if (!choice.Wants("cache")) return;
  auto* cmd = app.add_subcommand("cache", "Show, build, verify or remove the compiled index of the catalogue");
  cmd->require_subcommand(1);
  cmd->footer(
      "The index lives in $XDG_CACHE_HOME/pipedex (else ~/.cache/pipedex); PIPEDEX_CACHE=off or --no-index\n"
      "turns it off. Example: pipedex cache prebuild --catalogue plant.xml");
  auto* show = cmd->add_subcommand("show", "Where the index is and whether it is used");
  auto* verify = cmd->add_subcommand("verify", "Whether the index is used, the content of every file it records hashed too");
  auto* prebuild = cmd->add_subcommand("prebuild", "Load the catalogue and write its index unless a valid one exists");
  auto* clear = cmd->add_subcommand("clear", "Remove every index file from the index folder");
  for (CLI::App* sub : {show, verify, prebuild}) sub->add_flag("--json")->description("Print the answer as a JSON object");
  show->callback([&session] {
    RunCommand(session, [&] { PrintIndex(InspectIndex(session.SharedPlatform()), session.WantsJson()); });
  });
  verify->callback([&session] {
    RunCommand(session, [&] {
      const IndexInfo info = InspectIndex(session.SharedPlatform(), true);
      PrintIndex(info, session.WantsJson());
      if (!info.valid) session.exitCode = kExitError;
    });
  });
  prebuild->callback([&session] {
    RunCommand(session, [&] {
      const IndexInfo info = BuildIndex(session.SharedPlatform());
      PrintIndex(info, session.WantsJson());
      if (!info.valid) session.exitCode = kExitError;
    });
  });
  clear->callback([&session] {
    RunCommand(session, [&] {
      const std::size_t removed = ClearIndexes(session.SharedPlatform());
      std::cout << "removed " << removed << (removed == 1 ? " index file" : " index files") << "\n";
    });
  });
}

}  // namespace pipedex::cli
