// The answers about names: hover, definition, references, completion and
// symbols. Every name and place comes from the library's check of the
// catalogue (CheckCatalogue's NamePlace list); the hover adds what an
// instance of the library answers about the name.

#include <algorithm>
#include <cctype>
#include <regex>
#include <set>

#include "server.h"

namespace pipedex::lsp {
namespace {

Json Range(const Point& start, const Point& end) {
  return {{"start", {{"line", start.line}, {"character", start.character}}},
          {"end", {{"line", end.line}, {"character", end.character}}}};
}

Json LocationOf(const Workspace& workspace, const NamePlace& place, FileCache& cache) {
  const Point start = workspace.LinesOf(place.file, cache).ToPoint(place.line, place.column);
  const Point end{start.line, start.character + static_cast<std::int64_t>(Utf16Units(place.name, place.name.size()))};
  return {{"uri", UriOfPath(place.file)}, {"range", Range(start, end)}};
}

bool SameName(const NamePlace& a, const NamePlace& b) { return a.kind == b.kind && a.name == b.name; }

// The definitions of the name a place names; an SKEY without one of its own
// is defined by its generic form (the first two characters and "**").
std::vector<const NamePlace*> DefinitionsOf(const Analysis& analysis, const NamePlace& place) {
  std::vector<const NamePlace*> found;
  for (const std::string& name : {place.name, place.name.substr(0, 2) + "**"}) {
    for (const NamePlace& p : analysis.names)
      if (p.definition && p.kind == place.kind && p.name == name) found.push_back(&p);
    if (!found.empty() || place.kind != "SKEY") break;
  }
  return found;
}

std::string Place(const NamePlace& p) { return p.file + ":" + std::to_string(p.line) + ":" + std::to_string(p.column); }

// SymbolKind of the protocol for a kind of name.
int SymbolKind(const std::string& kind) {
  return kind == "group" ? 3 : kind == "component type" ? 5 : kind == "SKEY" ? 20 : kind == "PCF type" ? 10 : 14;
}

Json Symbol(const Workspace& workspace, const NamePlace& p, FileCache& cache) {
  Json symbol = {{"name", p.name}, {"kind", SymbolKind(p.kind)}, {"location", LocationOf(workspace, p, cache)}};
  if (!p.container.empty()) symbol["containerName"] = p.container;
  return symbol;
}

}  // namespace

Json Diagnostics(const Document& document) {
  Json list = Json::array();
  for (const Finding& f : document.analysis.findings) {
    if (f.file != document.path) continue;
    const Point start = document.lines.ToPoint(f.line, f.column);
    list.push_back({{"range", Range(start, {start.line, start.character + 1})},
                    {"severity", f.severity == "error" ? 1 : 2},
                    {"code", f.code},
                    {"source", "pipedex"},
                    {"message", f.message}});
  }
  return list;
}

Json Hover(Workspace& workspace, Document& document, const Point& point) {
  const NamePlace* place = NameAt(document, point);
  if (!place) return nullptr;
  std::string text = "**" + place->kind + "** `" + place->name + "`";
  const std::vector<const NamePlace*> definitions = DefinitionsOf(document.analysis, *place);
  if (definitions.empty()) text += ": not defined in the catalogue";
  for (const NamePlace* d : definitions) {
    text += "\n\ndefined at " + Place(*d);
    if (d->name != place->name) text += " by its generic form " + d->name;
    for (const auto& [name, value] : d->attributes) text += "\n- " + name + ": " + value;
  }
  std::string uses;  // where, the first ten
  std::size_t count = 0;
  for (const NamePlace& p : document.analysis.names)
    if (!p.definition && SameName(p, *place) && ++count <= 10)
      uses.append(count == 1 ? ": in " : ", in ").append(p.container).append(" at ").append(Place(p));
  text += "\n\nused " + std::to_string(count) + (count == 1 ? " time" : " times") + uses;
  if (!definitions.empty())
    if (const std::string answer = workspace.LibraryAnswer(document.analysis, *definitions.front()); !answer.empty())
      text += "\n\nthe library (saved files): " + answer;
  const Point start = document.lines.ToPoint(place->line, place->column);
  const Point end{start.line, start.character + static_cast<std::int64_t>(Utf16Units(place->name, place->name.size()))};
  return {{"contents", {{"kind", "markdown"}, {"value", text}}}, {"range", Range(start, end)}};
}

Json Definition(const Workspace& workspace, const Document& document, const Point& point) {
  const NamePlace* place = NameAt(document, point);
  Json list = Json::array();
  if (!place) return list;
  FileCache cache;
  for (const NamePlace* d : DefinitionsOf(document.analysis, *place)) list.push_back(LocationOf(workspace, *d, cache));
  return list;
}

Json References(const Workspace& workspace, const Document& document, const Point& point, bool declarations) {
  const NamePlace* place = NameAt(document, point);
  Json list = Json::array();
  if (!place) return list;
  FileCache cache;
  for (const NamePlace& p : document.analysis.names)
    if (SameName(p, *place) && (declarations || !p.definition)) list.push_back(LocationOf(workspace, p, cache));
  return list;
}

Json Completion(const Document& document, const Point& point) {
  const std::string line(document.lines[point.line]);
  const std::string before = line.substr(0, std::min(line.size(), [&] {
    // Bytes of the characters before the cursor.
    std::size_t bytes = 0;
    for (std::int32_t column = document.lines.ColumnOf(point); column > 1 && bytes < line.size(); --column)
      do ++bytes;
      while (bytes < line.size() && (static_cast<unsigned char>(line[bytes]) & 0xC0) == 0x80);
    return bytes;
  }()));
  static const std::regex value(R"(([A-Za-z_][\w.-]*)\s*=\s*["']([^"']*)$)"), text(R"(<([A-Za-z_][\w.-]*)[^<>]*>([^<]*)$)"),
      element(R"(<[A-Za-z_]?[\w.-]*$)"), attribute(R"(<[A-Za-z_][\w.-]*(\s+[\w.-]+\s*=\s*("[^"]*"|'[^']*'))*\s+[\w.-]*$)");
  std::string kind;
  std::vector<std::string> keywords;
  int keywordKind = 14;
  std::smatch m;
  if (std::regex_search(before, m, value)) {
    const std::string name = m[1];
    kind = name == "PCFTYPE" ? "PCF type" : name == "Configuration" ? "configuration" : name == "Name" ? "end preparation" : "";
  } else if (std::regex_search(before, m, text)) {
    const std::string name = m[1];
    kind = name == "SKEY" ? "SKEY" : name == "Operation" ? "operation"
         : std::regex_match(name, std::regex("CP_[1-4]_PREP")) ? "end preparation" : "";
  } else if (std::regex_search(before, m, element)) {
    keywords = FormatElementNames();
  } else if (std::regex_search(before, m, attribute)) {
    keywords = FormatAttributeNames();
    keywordKind = 10;
  }
  Json items = Json::array();
  std::set<std::string> seen;
  for (const NamePlace& p : document.analysis.names)
    if (!kind.empty() && p.definition && p.kind == kind && seen.insert(p.name).second) {
      Json item = {{"label", p.name}, {"kind", 12}, {"detail", p.kind}};
      for (const auto& [name, v] : p.attributes)
        if (name == "Description") item["documentation"] = v;
      items.push_back(item);
    }
  for (const std::string& k : keywords) items.push_back({{"label", k}, {"kind", keywordKind}});
  return {{"isIncomplete", false}, {"items", items}};
}

Json DocumentSymbols(const Document& document) {
  Json list = Json::array();
  for (const NamePlace& p : document.analysis.names)
    if (p.definition && p.file == document.path) {
      Json symbol = {{"name", p.name}, {"kind", SymbolKind(p.kind)}};
      const Point start = document.lines.ToPoint(p.line, p.column);
      symbol["location"] = {{"uri", UriOfPath(p.file)},
                            {"range", Range(start, {start.line, start.character + static_cast<std::int64_t>(
                                                                                     Utf16Units(p.name, p.name.size()))})}};
      if (!p.container.empty()) symbol["containerName"] = p.container;
      list.push_back(symbol);
    }
  return list;
}

Json WorkspaceSymbols(const Workspace& workspace, const std::string& query) {
  const auto lower = [](std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };
  const std::string wanted = lower(query);
  Json list = Json::array();
  std::set<std::tuple<std::string, std::int32_t, std::int32_t>> seen;
  FileCache cache;
  for (const auto& [uri, document] : workspace.documents)
    for (const NamePlace& p : document.analysis.names)
      if (p.definition && lower(p.name).find(wanted) != std::string::npos &&
          seen.emplace(p.file, p.line, p.column).second && list.size() < 1000)
        list.push_back(Symbol(workspace, p, cache));
  return list;
}

}  // namespace pipedex::lsp
