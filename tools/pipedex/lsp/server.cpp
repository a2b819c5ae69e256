// The JSON-RPC side of the server: the lifecycle, the document notifications
// and the dispatch of requests to the features. Any failure while answering
// becomes an error response; the server itself goes on.

#include "server.h"

#include <filesystem>

#include "framing.h"
#include "pipedex/error.h"

namespace pipedex::lsp {
namespace {

Point PointOf(const Json& params) {
  const Json& position = params.at("position");
  return {position.at("line").get<std::int64_t>(), position.at("character").get<std::int64_t>()};
}

// Thrown for a request the server refuses: an unknown method, params that do not fit.
struct Refusal {
  int code;
  std::string message;
};

}  // namespace

void Server::Send(const Json& message) {
  WriteMessage(out_, message.dump(-1, ' ', false, Json::error_handler_t::replace));
}

void Server::Error(const Json& id, int code, const std::string& message) {
  Send({{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}});
}

bool Server::Handle(const std::string& body) {
  Json message;
  try {
    message = Json::parse(body);
  } catch (const Json::exception& e) {
    Error(nullptr, kParseError, std::string("the message is not JSON: ") + e.what());
    return true;
  }
  const bool hasId = message.is_object() && message.contains("id");
  const Json id = hasId && (message["id"].is_number_integer() || message["id"].is_string()) ? message["id"] : Json();
  if (!message.is_object() || !message.contains("method") || !message["method"].is_string() ||
      (hasId && id.is_null()) || (message.contains("params") && !message["params"].is_structured())) {
    Error(id, kInvalidRequest, "not a JSON-RPC request");
    return true;
  }
  const std::string method = message["method"];
  Json params = message.contains("params") ? std::move(message["params"]) : Json::object();
  if (!hasId) {
    if (method == "exit") return false;
    if (initialized_ && !shutdown_) {
      try {
        Notified(method, params);
      } catch (const std::exception&) {
        // A notification gets no answer, not even an error.
      }
    }
    return true;
  }
  if (shutdown_) return Error(id, kInvalidRequest, "the server is shut down"), true;
  if (!initialized_ && method != "initialize")
    return Error(id, kServerNotInitialized, "the server is not initialized"), true;
  try {
    Send({{"jsonrpc", "2.0"}, {"id", id}, {"result", Answer(method, params)}});
  } catch (const Refusal& e) {
    Error(id, e.code, e.message);
  } catch (const Json::exception& e) {
    Error(id, kInvalidParams, e.what());
  } catch (const pipedex::Error& e) {
    Error(id, kInternalError, e.description());
  } catch (const std::exception& e) {
    Error(id, kInternalError, e.what());
  }
  return true;
}

Json Server::Answer(const std::string& method, const Json& params) {
  if (method == "initialize") {
    if (initialized_) throw Refusal{kInvalidRequest, "the server is initialized already"};
    initialized_ = true;
    if (params.contains("rootUri") && params["rootUri"].is_string())
      workspace_.root = PathOfUri(params["rootUri"]);
    else if (params.contains("rootPath") && params["rootPath"].is_string())
      workspace_.root = params["rootPath"];
    return {{"capabilities",
             {{"textDocumentSync", {{"openClose", true}, {"change", 1}, {"save", true}}},
              {"hoverProvider", true},
              {"definitionProvider", true},
              {"referencesProvider", true},
              {"completionProvider", {{"triggerCharacters", {"<", "\"", " ", ">"}}}},
              {"documentSymbolProvider", true},
              {"workspaceSymbolProvider", true}}},
            {"serverInfo", {{"name", "pipedex"}}}};
  }
  if (method == "shutdown") {
    shutdown_ = true;
    return nullptr;
  }
  if (method == "workspace/symbol") return WorkspaceSymbols(workspace_, params.value("query", ""));
  if (method.rfind("textDocument/", 0) != 0) throw Refusal{kMethodNotFound, "unknown method " + method};
  const std::string feature = method.substr(13);
  if (feature == "hover") return Hover(workspace_, Open(params), PointOf(params));
  if (feature == "definition") return Definition(workspace_, Open(params), PointOf(params));
  if (feature == "references") {
    const bool declarations = params.contains("context") && params["context"].value("includeDeclaration", false);
    return References(workspace_, Open(params), PointOf(params), declarations);
  }
  if (feature == "completion") return Completion(Open(params), PointOf(params));
  if (feature == "documentSymbol") return DocumentSymbols(Open(params));
  throw Refusal{kMethodNotFound, "unknown method " + method};
}

Document& Server::Open(const Json& params) {
  const std::string uri = params.at("textDocument").at("uri").get<std::string>();
  auto it = workspace_.documents.find(uri);
  if (it == workspace_.documents.end()) throw Refusal{kInvalidParams, "the document is not open: " + uri};
  if (it->second.stale) Publish(it->first, it->second);
  return it->second;
}

void Server::Notified(const std::string& method, Json& params) {
  if (method == "textDocument/didOpen" || method == "textDocument/didChange") {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    const bool open = method == "textDocument/didOpen";
    if (!open && !workspace_.documents.count(uri)) return;
    Json none = Json::array();
    Json& changes = params.contains("contentChanges") ? params["contentChanges"] : none;
    if (!open && (!changes.is_array() || changes.empty())) return;
    // Full sync: the last change holds the whole text, moved out of the message.
    std::string text = std::move((open ? params["textDocument"].at("text") : changes.back().at("text")).get_ref<std::string&>());
    Document& document = workspace_.documents[uri];
    if (open) document.path = PathOfUri(uri);
    document.SetText(std::move(text));
    workspace_.Changed(document.path, document.analysis.systemFile);
  } else if (method == "textDocument/didClose") {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    const auto it = workspace_.documents.find(uri);
    if (it == workspace_.documents.end()) return;
    const std::string path = it->second.path, system = it->second.analysis.systemFile;
    workspace_.documents.erase(it);
    Send({{"jsonrpc", "2.0"},
          {"method", "textDocument/publishDiagnostics"},
          {"params", {{"uri", uri}, {"diagnostics", Json::array()}}}});
    workspace_.Changed(path, system);  // the file is read from the disk again
  } else if (method == "textDocument/didSave") {
    workspace_.Saved();
  }
}

void Server::Publish(const std::string& uri, Document& document) {
  workspace_.Check(document);
  Send({{"jsonrpc", "2.0"},
        {"method", "textDocument/publishDiagnostics"},
        {"params", {{"uri", uri}, {"diagnostics", Diagnostics(document)}}}});
}

void Server::Flush() {
  for (auto& [uri, document] : workspace_.documents)
    if (document.stale) Publish(uri, document);
}

int Serve(std::istream& in, std::ostream& out, Workspace workspace) {
  Server server(out, std::move(workspace));
  std::string body;
  for (;;) {
    const ReadResult read = ReadMessage(in, body);
    if (read == ReadResult::End) break;
    if (read == ReadResult::BadHeader) server.Error(nullptr, kParseError, "a message header without a valid Content-Length");
    if (read == ReadResult::TooLarge) server.Error(nullptr, kInvalidRequest, "the message is larger than the server reads");
    if (read == ReadResult::Message && !server.Handle(body)) return server.ExitCode();
    // A change supersedes the work for the one before: documents are checked
    // only when no further message is waiting.
    if (in.rdbuf()->in_avail() <= 0) server.Flush();
    if (!out) break;  // the client is gone
  }
  return 1;
}

}  // namespace pipedex::lsp
