// `pipedex info`: which files the component found, and a summary of the catalogue.

#include <iostream>

#include "session.h"

namespace pipedex::cli {

void AddCoreCommands(CLI::App& app, Session& session) {
  auto* info = app.add_subcommand("info", "Show which catalogue files were found and what the catalogue holds");
  auto json = std::make_shared<bool>(false);
  info->add_flag("--json", *json, "Print the same data as JSON");
  info->footer("Example: pipedex info\n         pipedex --component-dir /opt/pipedex info --json");
  info->callback([&session, json] {
    RunCommand(session, [&] {
      Pipedex& p = session.Instance();
      std::vector<std::pair<std::string, std::string>> fields = {
          {"System file", p.SystemXMLPath()},
          {"Project file", p.ProjectXMLPath().empty() ? "(none)" : p.ProjectXMLPath()},
          {"Groups", std::to_string(p.GroupCount())},
          {"SKEYs", std::to_string(p.SKEYCount())},
          {"Configurations", std::to_string(p.ConfigurationCount())},
          {"End preparations", std::to_string(p.EndPrepCount())},
          {"Operations", std::to_string(p.OperationCount())},
          {"PCF types", std::to_string(p.PCFTYPECount())},
      };
      PrintFields(fields, *json);
    });
  });
}

}  // namespace pipedex::cli
