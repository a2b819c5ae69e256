// `pipedex add-skey` and `pipedex dump`: changing the catalogue in memory and
// writing the merged document (system file, project overlays, language texts,
// added SKEYs) to a file.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <unistd.h>

#include "session.h"

namespace pipedex::cli {
namespace {

// Whether two paths name the same existing file.
bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return !a.empty() && !b.empty() && std::filesystem::equivalent(a, b, error);
}

// Writes the merged document to a file, or to standard output for "-" (through
// a temporary file, as the document service writes files). A catalogue file
// the instance loaded is not overwritten unless force is set; false then.
bool WriteDocument(Session& session, Pipedex& p, const std::string& file, bool force) {
  if (file == "-") {
    char name[] = "/tmp/pipedex-dump-XXXXXX";
    const int fd = ::mkstemp(name);
    if (fd < 0) throw Error(static_cast<std::int32_t>(0x80004005), "pipedex-cli", "cannot create a temporary file");
    ::close(fd);
    try {
      p.DumpXML(name);
    } catch (...) {
      std::remove(name);
      throw;
    }
    std::ifstream in(name, std::ios::binary);
    std::cout << in.rdbuf();
    std::remove(name);
    return true;
  }
  if (!force) {
    for (const std::string& loaded : {p.SystemXMLPath(), p.ProjectXMLPath(), session.projectFile, session.userFile})
      if (SameFile(file, loaded)) {
        std::cerr << "pipedex: " << file << " is a catalogue file this command loaded; give --force to overwrite it\n";
        session.exitCode = 1;
        return false;
      }
  }
  p.DumpXML(file);
  return true;
}

void AddAddSKEYCommand(CLI::App& app, Session& session) {
  struct Options {
    std::string newSKEY, refSKEY, description, dumpFile;
    bool json = false, force = false;
  };
  auto o = std::make_shared<Options>();
  auto* cmd = app.add_subcommand("add-skey", "Add an SKEY as a copy of an existing one and write the merged document");
  cmd->add_option("NEW", o->newSKEY, "The SKEY to create")->required();
  cmd->add_option("REF", o->refSKEY,
                  "The existing SKEY to copy (its generic form first when it ends in a Plotra end preparation)")
      ->required();
  cmd->add_option("--description", o->description, "Description of the new SKEY (default: Based on REF)");
  cmd->add_option("--dump", o->dumpFile, "File to write the merged document to")->required();
  cmd->add_flag("--force", o->force, "Overwrite the catalogue file this command loaded");
  cmd->add_flag("--json", o->json, "Print the same data as JSON");
  cmd->footer(
      "Example: pipedex add-skey ELXX ELBW --description \"Elbow, special end\" --dump merged.xml\n"
      "         pipedex --project ProjectPipedex.xml add-skey VPSW VPBW --dump merged.xml --json");
  cmd->callback([&session, o] {
    RunCommand(session, [&] {
      Pipedex& p = session.Instance();
      p.AddSKEY(o->newSKEY, o->description, o->refSKEY);
      if (!WriteDocument(session, p, o->dumpFile, o->force) || o->dumpFile == "-") return;
      PrintFields({{"SKEY", o->newSKEY},
                   {"RefSKEY", o->refSKEY},
                   {"Description", o->description.empty() ? "Based on " + o->refSKEY : o->description},
                   {"FileName", o->dumpFile}},
                  o->json);
    });
  });
}

void AddDumpCommand(CLI::App& app, Session& session) {
  auto file = std::make_shared<std::string>();
  auto json = std::make_shared<bool>(false);
  auto force = std::make_shared<bool>(false);
  auto* cmd = app.add_subcommand("dump", "Write the merged catalogue document to a file, or to standard output");
  cmd->add_option("FILE", *file, "File to write; - for standard output")->required();
  cmd->add_flag("--force", *force, "Overwrite the catalogue file this command loaded");
  cmd->add_flag("--json", *json, "Print the same data as JSON");
  cmd->footer(
      "Example: pipedex dump merged.xml\n"
      "         pipedex --project ProjectPipedex.xml dump - | xmllint --format -\n"
      "A catalogue file that was loaded is not overwritten without --force.");
  cmd->callback([&session, file, json, force] {
    RunCommand(session, [&] {
      Pipedex& p = session.Instance();
      if (!WriteDocument(session, p, *file, *force) || *file == "-") return;
      const std::string project = p.ProjectXMLPath();
      PrintFields({{"SystemXMLPath", p.SystemXMLPath()},
                   {"ProjectXMLPath", project.empty() ? Json(nullptr) : Json(project)},
                   {"FileName", *file}},
                  *json);
    });
  });
}

}  // namespace

void AddOverlayCommands(CLI::App& app, Session& session, const CommandChoice& choice) {
  if (choice.Wants("add-skey")) AddAddSKEYCommand(app, session);
  if (choice.Wants("dump")) AddDumpCommand(app, session);
}

}  // namespace pipedex::cli
