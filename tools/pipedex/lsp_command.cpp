// `pipedex lsp`: the language server for catalogue authors (lsp/server.h).

#include <csignal>
#include <iostream>

#include "lsp/server.h"
#include "session.h"

namespace pipedex::cli {

void AddLspCommand(CLI::App& app, Session& session, const CommandChoice& choice) {
  if (!choice.Wants("lsp")) return;
  auto* cmd = app.add_subcommand("lsp", "Serve the Language Server Protocol on standard input and output");
  cmd->footer(
      "Example: pipedex lsp\n"
      "         pipedex --catalogue plant.xml lsp\n"
      "An editor starts it and talks to it; a person does not. Open catalogue files are checked as\n"
      "they are typed: a system file alone, an overlay merged onto the SystemPipedex.xml beside it\n"
      "(else --catalogue or the catalogue the component finds, else the workspace's), a language\n"
      "variant with the system file beside it. See docs/lsp.md.");
  cmd->callback([&session] {
    lsp::Workspace workspace;
    RunCommand(session, [&] {
      workspace.catalogue = session.catalogueFile.empty() ? SystemFileCandidate(session) : session.catalogueFile;
      workspace.locale = session.SystemPlatform().ThreadLocale();
    });
    session.exitCode = 0;  // no catalogue found: overlays are checked against the workspace's
    std::ios::sync_with_stdio(false);
    std::signal(SIGPIPE, SIG_IGN);  // a client that goes away ends the loop, not the process
    session.exitCode = lsp::Serve(std::cin, std::cout, std::move(workspace));
  });
}

}  // namespace pipedex::cli
