// `pipedex add-skey` and `pipedex dump`: changing the catalogue in memory and
// writing the merged document (system file, project overlays, language texts,
// added SKEYs) to a file.

#include "session.h"

namespace pipedex::cli {
namespace {

void AddAddSKEYCommand(CLI::App& app, Session& session) {
  struct Options {
    std::string newSKEY, refSKEY, description, dumpFile;
    bool json = false;
  };
  auto o = std::make_shared<Options>();
  auto* cmd = app.add_subcommand("add-skey", "Add an SKEY as a copy of an existing one and write the merged document");
  cmd->add_option("NEW", o->newSKEY, "The SKEY to create")->required();
  cmd->add_option("REF", o->refSKEY,
                  "The existing SKEY to copy (its generic form first when it ends in a Plotra end preparation)")
      ->required();
  cmd->add_option("--description", o->description, "Description of the new SKEY (default: Based on REF)");
  cmd->add_option("--dump", o->dumpFile, "File to write the merged document to")->required();
  cmd->add_flag("--json", o->json, "Print the same data as JSON");
  cmd->footer(
      "Example: pipedex add-skey ELXX ELBW --description \"Elbow, special end\" --dump merged.xml\n"
      "         pipedex --project ProjectPipedex.xml add-skey VPSW VPBW --dump merged.xml --json");
  cmd->callback([&session, o] {
    RunCommand(session, [&] {
      Pipedex& p = session.Instance();
      p.AddSKEY(o->newSKEY, o->description, o->refSKEY);
      p.DumpXML(o->dumpFile);
      PrintFields({{"New SKEY", o->newSKEY},
                   {"Reference SKEY", o->refSKEY},
                   {"Description", o->description.empty() ? "Based on " + o->refSKEY : o->description},
                   {"Written to", o->dumpFile}},
                  o->json);
    });
  });
}

void AddDumpCommand(CLI::App& app, Session& session) {
  auto file = std::make_shared<std::string>();
  auto json = std::make_shared<bool>(false);
  auto* cmd = app.add_subcommand("dump", "Write the merged catalogue document to a file");
  cmd->add_option("FILE", *file, "File to write")->required();
  cmd->add_flag("--json", *json, "Print the same data as JSON");
  cmd->footer(
      "Example: pipedex dump merged.xml\n"
      "         pipedex --project ProjectPipedex.xml dump merged.xml --json");
  cmd->callback([&session, file, json] {
    RunCommand(session, [&] {
      Pipedex& p = session.Instance();
      p.DumpXML(*file);
      const std::string project = p.ProjectXMLPath();
      PrintFields({{"System file", p.SystemXMLPath()},
                   {"Project file", project.empty() ? "(none)" : project},
                   {"Written to", *file}},
                  *json);
    });
  });
}

}  // namespace

void AddOverlayCommands(CLI::App& app, Session& session) {
  AddAddSKEYCommand(app, session);
  AddDumpCommand(app, session);
}

}  // namespace pipedex::cli
