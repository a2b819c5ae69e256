// pipedex: the command-line tool of the Pipedex catalogue component.

#include <iostream>

#include "session.h"

int main(int argc, char** argv) {
  using namespace pipedex::cli;
  CLI::App app{"pipedex: questions and answers about a piping material catalogue"};
  app.set_version_flag("--version", "pipedex 0.1.0");
  app.require_subcommand(1);

  Session session;
  app.add_option("--component-dir", session.options.componentFolder,
                 "Folder taken as the component's own folder (where SystemPipedex.xml or Data/ is looked for)");
  app.add_option("--registry", session.options.registryFile, "Registry file to read the DataPath value from");
  app.add_option("--locale", session.options.locale, "Locale as ll_CC (e.g. de_AT) choosing the language variant");
  app.add_option("--project", session.projectFile, "Project file to load after construction");

  const OperationTable table = BuildOperationTable();
  AddCallCommands(app, session, table);
  AddCoreCommands(app, session);
  AddModelCommands(app, session);
  AddQueryCommands(app, session);
  AddRuleCommands(app, session);
  AddOverlayCommands(app, session);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    int code = app.exit(e);
    return code == 0 ? 0 : 2;
  }
  return session.exitCode;
}
