// `pipedex info`: which files the component found, and a summary of the catalogue.

#include <filesystem>
#include <iostream>

#include "session.h"

namespace pipedex::cli {

void AddCoreCommands(CLI::App& app, Session& session, const CommandChoice& choice) {
  if (!choice.Wants("info")) return;
  auto* info = app.add_subcommand("info", "Show the catalogue files used (system, project, language variant, user) and what the catalogue holds");
  auto json = std::make_shared<bool>(false);
  info->add_flag("--json", *json, "Print the same data as JSON");
  info->footer("Example: pipedex info\n         pipedex --component-dir /opt/pipedex info --json");
  info->callback([&session, json] {
    RunCommand(session, [&] {
      Pipedex& p = session.Instance();
      const LocaleNames locale = session.SystemPlatform().ThreadLocale();
      const std::string variant = LanguageVariantFile(p.SystemXMLPath(), locale);
      auto fileOrNull = [](const std::string& file) { return file.empty() ? Json(nullptr) : Json(file); };
      // The project file given, else the one merged from beside the system file.
      std::string project = session.projectFile;
      const std::string beside = std::filesystem::path(p.SystemXMLPath()).parent_path().string() + "/" + kProjectFileName;
      // A file that cannot be looked at (a loop of links, no permission) is no
      // project file, as for the component, which merged none.
      std::error_code unreadable;
      if (project.empty() && std::filesystem::is_regular_file(beside, unreadable)) project = beside;
      std::vector<std::pair<std::string, Json>> fields = {
          {"SystemXMLPath", p.SystemXMLPath()},
          {"ProjectXMLPath", fileOrNull(project)},
          {"UserXMLPath", fileOrNull(session.userFile)},
          {"LanguageFile", fileOrNull(variant)},
          {"Locale", locale.country.empty() ? locale.language : locale.language + "_" + locale.country},
          {"GroupCount", p.GroupCount()},
          {"SKEYCount", p.SKEYCount()},
          {"ConfigurationCount", p.ConfigurationCount()},
          {"EndPrepCount", p.EndPrepCount()},
          {"OperationCount", p.OperationCount()},
          {"PCFTYPECount", p.PCFTYPECount()},
      };
      PrintFields(fields, *json);
    });
  });
}

}  // namespace pipedex::cli
