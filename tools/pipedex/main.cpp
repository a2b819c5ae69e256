// pipedex: the command-line tool of the Pipedex catalogue component.

#include <iostream>

#include "session.h"

int main(int argc, char** argv) {
  using namespace pipedex::cli;
  CLI::App app{"pipedex: questions and answers about a piping material catalogue"};
  app.set_version_flag("--version", "pipedex " PIPEDEX_VERSION);
  app.footer(
      "The catalogue is SystemPipedex.xml beside the library, in its Data folder, or the file named\n"
      "by DataPath in the registry file: $PIPEDEX_REGISTRY, else /etc/pipedex/registry.reg, else the\n"
      "share/pipedex/registry.reg installed with the library.\n"
      "Run `pipedex COMMAND --help` for a command's arguments and examples.\n"
      "Examples: pipedex info\n"
      "          pipedex tree --group Elbows\n"
      "          pipedex call GetSKEYData ELBW\n"
      "          echo '{\"call\": \"GroupCount\"}' | pipedex batch\n"
      "          PIPEDEX_REGISTRY=/usr/local/share/pipedex/registry.reg pipedex info\n"
      "Errors of the component are printed on stderr with their number in hexadecimal; the exit\n"
      "status is then 1 (2 for a usage error). Guides: docs/cli.md, docs/api.md, docs/catalogue-format.md.");
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
  AddTreeCommand(app, session);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    int code = app.exit(e);
    return code == 0 ? 0 : 2;
  }
  return session.exitCode;
}
