// `pipedex lsp` as an editor drives it: scripted sessions of framed JSON-RPC
// messages, each answered (or not) as the protocol says, and the catalogue
// answers on the guide's catalogue with planted mistakes.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <regex>

#include "docs/docs_support.h"

namespace pipedex::testing::docs {
namespace {

using nlohmann::json;

std::string Frame(const std::string& body) { return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body; }
std::string Note(const std::string& method, json params = json::object()) {
  return Frame(json{{"jsonrpc", "2.0"}, {"method", method}, {"params", params}}.dump());
}
std::string Ask(int id, const std::string& method, json params = json::object()) {
  return Frame(json{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}}.dump());
}

const std::string kFolder = SourcePath("docs/examples/catalogue/");
const std::string kUri = "file://" + kFolder + "mistakes.xml", kOverlayUri = "file://" + kFolder + "project-overlay.xml",
                  kSystemUri = "file://" + kFolder + "SystemPipedex.xml";
json At(const std::string& uri, int line, int character) {
  return {{"textDocument", {{"uri", uri}}}, {"position", {{"line", line}, {"character", character}}}};
}
std::string Open(const std::string& uri, const std::string& text) {
  return Note("textDocument/didOpen", {{"textDocument", {{"uri", uri}, {"languageId", "xml"}, {"version", 1}, {"text", text}}}});
}
std::string Symbols(int id, const std::string& uri) {  // a request that has the document checked first
  return Ask(id, "textDocument/documentSymbol", {{"textDocument", {{"uri", uri}}}});
}
const std::string kStart = Ask(1, "initialize", {{"rootUri", nullptr}}) + Note("initialized");
const std::string kEnd = Ask(99, "shutdown") + Note("exit");

// The server's messages, one per line without their headers, then "status N".
std::string Talk(const std::string& input) {
  TempDir dir;
  const ShellResult r = Shell("pipedex lsp < " + Quote(dir.Write("in", input)));
  return std::regex_replace(r.output, std::regex("Content-Length: \\d+\r\n\r\n"), "\n") + "\nstatus " +
         std::to_string(r.status);
}

TEST(LspSession, AnswersEachMessageAsTheProtocolSays) {
  const std::string mistakes = ReadSource("docs/examples/catalogue/mistakes.xml");
  const std::string overlay = ReadSource("docs/examples/catalogue/project-overlay.xml");
  const std::string system = ReadSource("docs/examples/catalogue/SystemPipedex.xml");
  const std::string planted = Replaced(overlay, "<SKEY>FLWR</SKEY>\n      </Flange", "<SKEY>QQQQ</SKEY>\n      </Flange");
  struct Row {
    std::string what, input;
    std::vector<std::string> expected;  // in this order in the output
  } rows[] = {
      {"a clean session", kStart + kEnd, {R"("id":1,"jsonrpc":"2.0","result":{"capabilities")", R"({"id":99,"jsonrpc":"2.0","result":null})", "status 0"}},
      {"a header without a length, then a good message", "Content-Lenght: 2\r\n\r\n{}" + kStart + kEnd,
       {R"("code":-32700)", R"("id":null)", R"("id":1,)", "status 0"}},
      {"a header field it does not know", "X-Bad: 1\r\nContent-Length: 2\r\n\r\n{}" + kEnd, {"-32700", "-32002", "status 1"}},
      {"a body that is not JSON", kStart + Frame("{\"id\": 2,") + kEnd, {R"("code":-32700)", R"("id":99)"}},
      {"not a request", kStart + Frame("[1,2]") + Frame(R"({"jsonrpc":"2.0","id":{},"method":"x"})") + kEnd,
       {R"("code":-32600)", R"("code":-32600)", R"("id":99)"}},
      {"an unknown method", kStart + Ask(2, "textDocument/noSuch") + Ask(3, "$/x") + kEnd,
       {R"("code":-32601)", R"("id":2)", R"("code":-32601)", R"("id":3)"}},
      {"a request before initialize", Ask(2, "textDocument/hover", At(kUri, 0, 0)) + Note("exit"),
       {R"("code":-32002)", "status 1"}},
      {"requests after shutdown", kStart + Ask(5, "shutdown") + Ask(6, "textDocument/hover") + Note("exit"),
       {R"("id":5,"jsonrpc":"2.0","result":null)", R"("code":-32600)", R"("id":6)", "status 0"}},
      {"a notification is never answered", kStart + Note("no/such") + Note("$/cancelRequest", {{"id", 1}}) + kEnd,
       {"\n{\"id\":1,", "}\n{\"id\":99,"}},
      {"params that do not fit", kStart + Ask(2, "textDocument/hover", {{"textDocument", 3}}) + kEnd, {R"("code":-32602)"}},
      {"the input ends inside a message", kStart + "Content-Length: 100\r\n\r\n{\"id\"", {R"("id":1,)", "status 1"}},
      {"a body over the cap is skipped unread", kStart + "Content-Length: 999999999999\r\n\r\n{}", {"status 1"}},
      {"a length too long to be a number", "Content-Length: 99999999999999999999999\r\n\r\n" + kStart + kEnd,
       {R"("code":-32600)", R"("id":1,)", "status 0"}},
      {"diagnostics appear on open, change with the text, clear on close",
       kStart + Open(kUri, mistakes) + Ask(2, "textDocument/documentSymbol", {{"textDocument", {{"uri", kUri}}}}) +
           Note("textDocument/didChange", {{"textDocument", {{"uri", kUri}, {"version", 2}}},
                                           {"contentChanges", {{{"text", Replaced(mistakes, "ELXX", "ELBW")}}}}}) +
           Ask(3, "textDocument/documentSymbol", {{"textDocument", {{"uri", kUri}}}}) + Note("textDocument/didClose", {{"textDocument", {{"uri", kUri}}}}) + kEnd,
       {R"("code":"unknown-pcftype","message":"component type Elbow-90 has PCFTYPE ELBO, which A_PCFIDF does not define","range":{"end":{"character":17,"line":5},"start":{"character":16,"line":5}},"severity":1)",
        R"("code":"undefined-skey")", R"("code":"elbow-no-angle")", R"("severity":2)",
        R"("code":"unknown-pcftype")", R"("code":"elbow-no-angle")", R"({"diagnostics":[],"uri":")" + kUri}},
      {"an overlay's unsaved text checked merged onto the system file beside it",
       kStart + Open(kOverlayUri, planted) + Ask(2, "textDocument/documentSymbol", {{"textDocument", {{"uri", kOverlayUri}}}}) + kEnd,
       {R"("code":"undefined-skey","message":"SKEY QQQQ of component type Flange-WeldNeck is not defined)",
        R"("range":{"end":{"character":9,"line":13},"start":{"character":8,"line":13}})"}},
      {"an overlay checked again with the unsaved change of its system file",
       kStart + Open(kOverlayUri, overlay) + Open(kSystemUri, system) + Symbols(2, kOverlayUri) +
           Note("textDocument/didChange", {{"textDocument", {{"uri", kSystemUri}}},
                                           {"contentChanges", {{{"text", Replaced(system, "VALVE>", "VALVX>")}}}}}) +
           Symbols(3, kOverlayUri) + kEnd,
       {R"({"diagnostics":[],"uri":")" + kOverlayUri, R"("id":2,)",
        R"("message":"component type Valve-Gate has PCFTYPE VALVE, which A_PCFIDF does not define")", kOverlayUri + R"("}})", R"("id":3,)"}},
      {"hover: the definition's attributes, its uses and the library's answer",
       kStart + Open(kUri, mistakes) + Ask(2, "textDocument/hover", At(kUri, 6, 16)) + Ask(3, "textDocument/hover", At(kUri, 7, 15)) + kEnd,
       {R"(**SKEY** `ELBW`\n\ndefined at )" + kFolder + R"(mistakes.xml:17:44\n- Description: Elbow, butt-welded\n\nused 2 times: in Elbow-90 at )",
        "mistakes.xml:7:15, in A_DEFAULT_ENDPREP at ",
        "default category FABRICATION, iso priority 0", R"("range":{"end":{"character":18,"line":6},"start":{"character":14,"line":6}})",
        R"(`ELXX`: not defined in the catalogue\n\nused 1 time: in Elbow-90 at )" + kFolder + "mistakes.xml:8:15\""}},
      {"definition and references between a use and its definition",
       kStart + Open(kUri, mistakes) + Ask(2, "textDocument/definition", At(kUri, 6, 14)) +
           Ask(3, "textDocument/references", At(kUri, 16, 45)) + Ask(4, "textDocument/definition", At(kUri, 4, 0)) + kEnd,
       {R"("id":2,"jsonrpc":"2.0","result":[{"range":{"end":{"character":47,"line":16},"start":{"character":43,"line":16}})",
        R"("id":3,"jsonrpc":"2.0","result":[{"range":{"end":{"character":18,"line":6},"start":{"character":14,"line":6}})",
        R"("start":{"character":20,"line":31}})", R"("id":4,"jsonrpc":"2.0","result":[]})"}},
      {"completion: the names a value must name, and the format's names",
       kStart + Open(kUri, Replaced(mistakes, "<Flag>Variabel</Flag>", "<SKEY>E</SKEY><x Z=\"1\" />")) +
           Ask(2, "textDocument/completion", At(kUri, 5, 27)) + Ask(3, "textDocument/completion", At(kUri, 9, 15)) +
           Ask(4, "textDocument/completion", At(kUri, 9, 31)) + Ask(5, "textDocument/completion", At(kUri, 3, 3)) + kEnd,
       {R"("id":2,"jsonrpc":"2.0","result":{"isIncomplete":false,"items":[{"detail":"PCF type","kind":12,"label":"ELBOW"}]})",
        R"("id":3,"jsonrpc":"2.0","result":{"isIncomplete":false,"items":[{"detail":"SKEY","documentation":"Elbow, butt-welded","kind":12,"label":"ELBW"}]})",
        R"({"kind":10,"label":"Allow"})", R"({"kind":14,"label":"A_CPT"})"}},
      {"document and workspace symbols",
       kStart + Open(kUri, mistakes) + Ask(2, "textDocument/documentSymbol", {{"textDocument", {{"uri", kUri}}}}) +
           Ask(3, "workspace/symbol", {{"query", "elbow-4"}}) + kEnd,
       {R"("containerName":"A_SKEY","kind":20)", R"("name":"ELBW")", R"("containerName":"Elbows","kind":5)",
        R"("id":3,"jsonrpc":"2.0","result":[{"containerName":"Elbows","kind":5,"location":{"range":{"end":{"character":15,"line":11},"start":{"character":7,"line":11}})"}},
  };
  for (const Row& row : rows) {
    const std::string output = Talk(row.input);
    std::size_t at = 0;
    for (const std::string& part : row.expected) {
      const std::size_t found = output.find(part, at);
      ASSERT_NE(found, std::string::npos) << row.what << ": no " << part << " after " << at << " in\n" << output;
      at = found + part.size();
    }
  }
}

// The guide's setups for the other editors load (Neovim's runs in lsp_neovim):
// the extension's manifest names its script, which node reads, and Emacs
// evaluates the eglot lines, each where that program is installed.
TEST(LspSession, TheGuidesEditorSetupsLoad) {
  const json manifest = json::parse(ReadSource("docs/examples/vscode-pipedex/package.json"));
  EXPECT_FALSE(ReadSource("docs/examples/vscode-pipedex/" + manifest.at("main").get<std::string>()).empty());
  for (const auto& [program, command] :
       {std::pair{"node", "node --check docs/examples/vscode-pipedex/extension.js"},
        {"emacs", "emacs --batch -l eglot -l docs/examples/pipedex-lsp.el --eval '(nxml-mode)' 2>&1"}})
    EXPECT_TRUE(Shell(std::string("command -v ") + program).status != 0 || Shell(command).status == 0) << command;
}

}  // namespace
}  // namespace pipedex::testing::docs
