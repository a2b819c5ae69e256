// A VS Code extension of one file: starts `pipedex lsp` for XML files.
const { LanguageClient } = require("vscode-languageclient/node");

let client;

exports.activate = function () {
  client = new LanguageClient(
    "pipedex",
    "Pipedex",
    { command: "pipedex", args: ["lsp"] },
    { documentSelector: [{ scheme: "file", language: "xml" }] }
  );
  client.start();
};

exports.deactivate = function () {
  return client && client.stop();
};
