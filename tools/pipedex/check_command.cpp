// `pipedex check`: a catalogue author's mistakes, one line per finding in the
// form compilers use, or as JSON.

#include <algorithm>
#include <iostream>

#include "session.h"

namespace pipedex::cli {

void AddCheckCommand(CLI::App& app, Session& session, const CommandChoice& choice) {
  if (!choice.Wants("check")) return;
  struct Options {
    bool json = false, strict = false;
  };
  auto o = std::make_shared<Options>();
  auto* cmd = app.add_subcommand("check", "Check the catalogue, its language variant and the overlays for mistakes");
  cmd->add_flag("--strict", o->strict, "Warnings fail too");
  cmd->add_flag("--json", o->json, "Print the findings as a JSON array");
  cmd->footer(
      "Example: pipedex check --catalogue plant.xml\n"
      "         pipedex check --project ProjectPipedex.xml --locale de_AT --json\n"
      "Prints FILE:LINE:COLUMN: error|warning: message [code], then a summary. Exit status 0 without\n"
      "errors (1 with --strict and warnings), 1 with errors, 2 for a usage error.");
  cmd->callback([&session, o] {
    RunCommand(session, [&] {
      std::string file = SystemFileCandidate(session);
      if (file.empty() || !session.SystemPlatform().FileExists(file)) {
        session.Instance().SystemXMLPath();  // the component's own "not found" error
        return;
      }
      CheckOptions options;
      options.projectFile = session.projectFile;
      options.userFile = session.userFile;
      options.locale = session.SystemPlatform().ThreadLocale();
      const std::vector<Finding> findings = CheckCatalogue(file, options);
      std::size_t errors = 0, warnings = 0;
      for (const Finding& f : findings) (f.severity == "error" ? errors : warnings)++;
      if (o->json) {
        Json array = Json::array();
        for (const Finding& f : findings)
          array.push_back({{"file", f.file}, {"line", f.line}, {"column", f.column}, {"severity", f.severity},
                           {"code", f.code}, {"message", f.message}});
        std::cout << Dump(array) << "\n";
      } else {
        // The summary names the system file and every other file with findings.
        std::vector<std::string> files{file};
        for (const Finding& f : findings) {
          if (std::find(files.begin(), files.end(), f.file) == files.end()) files.push_back(f.file);
          std::cout << FindingLine(f) << "\n";
        }
        std::cout << errors << (errors == 1 ? " error, " : " errors, ") << warnings
                  << (warnings == 1 ? " warning" : " warnings") << " in " << OnOneLine(files.front());
        for (std::size_t i = 1; i < files.size(); ++i)
          std::cout << (i + 1 == files.size() ? " and " : ", ") << OnOneLine(files[i]);
        std::cout << "\n";
      }
      session.exitCode = errors > 0 || (o->strict && warnings > 0) ? 1 : 0;
    });
  });
}

}  // namespace pipedex::cli
