#pragma once

// `pipedex lsp`: a language server for catalogue files over standard input and
// output. JSON-RPC 2.0 requests are answered in order; notifications never are.
// Requests before initialize and after shutdown are refused with the codes the
// protocol gives; `exit` ends the loop (status 0 after shutdown, else 1), and so
// does the end of the input.

#include <istream>
#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

#include "documents.h"

namespace pipedex::lsp {

using Json = nlohmann::json;

// The protocol's error codes.
inline constexpr int kParseError = -32700;
inline constexpr int kInvalidRequest = -32600;
inline constexpr int kMethodNotFound = -32601;
inline constexpr int kInvalidParams = -32602;
inline constexpr int kInternalError = -32603;
inline constexpr int kServerNotInitialized = -32002;

class Server {
 public:
  Server(std::ostream& out, Workspace workspace) : out_(out), workspace_(std::move(workspace)) {}
  // Handles one message body. False once the server is to stop.
  bool Handle(const std::string& body);
  // Checks the documents changed since their last check and publishes their diagnostics.
  void Flush();
  int ExitCode() const { return shutdown_ ? 0 : 1; }
  void Send(const Json& message);
  void Error(const Json& id, int code, const std::string& message);

 private:
  Json Answer(const std::string& method, const Json& params);
  void Notified(const std::string& method, Json& params);
  Document& Open(const Json& params);  // the document a request names (checked first when stale)
  void Publish(const std::string& uri, Document& document);  // checks it and sends its diagnostics

  std::ostream& out_;
  Workspace workspace_;
  bool initialized_ = false, shutdown_ = false;
};

// Reads messages until exit or the end of the input; the exit status.
int Serve(std::istream& in, std::ostream& out, Workspace workspace);

// What the server answers for each feature (features.cpp): the JSON results of
// hover, definition, references, completion and the symbol requests.
Json Hover(Workspace& workspace, Document& document, const Point& point);
Json Definition(const Workspace& workspace, const Document& document, const Point& point);
Json References(const Workspace& workspace, const Document& document, const Point& point, bool declarations);
Json Completion(const Document& document, const Point& point);
Json DocumentSymbols(const Document& document);
Json WorkspaceSymbols(const Workspace& workspace, const std::string& query);
Json Diagnostics(const Document& document);

}  // namespace pipedex::lsp
