// Which catalogue a buffer belongs to, and the library's check of it.
//   A language variant (SystemPipedex.ll[-CC].xml) is checked with the
//   SystemPipedex.xml beside it and its own locale.
//   An overlay (ProjectPipedex.xml, or a file with U_ or CHANGE_GROUPS sections
//   and no A_CPT) is checked merged onto the SystemPipedex.xml beside it, else
//   the server's catalogue, else the workspace's SystemPipedex.xml.
//   Any other file is a system file.

#include "documents.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "pipedex/error.h"

namespace pipedex::lsp {
namespace {

bool Exists(const Workspace& workspace, const std::string& path) {
  std::error_code error;
  if (path.empty()) return false;
  for (const auto& [uri, document] : workspace.documents)
    if (document.path == path) return true;
  return std::filesystem::is_regular_file(path, error);
}

bool LooksLikeOverlay(const std::string& name, const std::string& text) {
  if (name == kProjectFileName) return true;
  return (text.find("<U_") != std::string::npos || text.find("<CHANGE_GROUPS") != std::string::npos) &&
         text.find("<A_CPT") == std::string::npos;
}

// "de-AT" of SystemPipedex.de-AT.xml; false for any other name.
bool VariantLocale(const std::string& name, LocaleNames& locale) {
  const std::string prefix = "SystemPipedex.", suffix = ".xml";
  if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
      name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
    return false;
  const std::string code = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
  const std::size_t dash = code.find('-');
  locale.language = code.substr(0, dash);
  locale.country = dash == std::string::npos ? "" : code.substr(dash + 1);
  return !locale.language.empty() && locale.language.size() <= 3;
}

// A regular file's text, for positions in files that are not open (the check read them already).
std::string ReadFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return "";
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

void Workspace::Check(Document& document) const {
  const std::filesystem::path path(document.path);
  const std::string name = path.filename().string(), folder = path.parent_path().string();
  const std::string beside = (path.parent_path() / kSystemFileName).string();
  CheckOptions options;
  std::string system = document.path;
  if (VariantLocale(name, options.locale)) {
    system = beside;
  } else if (LooksLikeOverlay(name, document.text)) {
    for (const std::string& candidate :
         {beside, catalogue, root.empty() ? "" : (std::filesystem::path(root) / kSystemFileName).string()})
      if (Exists(*this, candidate)) {
        system = candidate;
        break;
      }
    if (system != document.path && !(name == kProjectFileName && system == beside)) options.projectFile = document.path;
  } else {
    options.locale = locale;
  }
  std::map<std::string, std::string> texts;  // a copy of each buffer: the price of a plain interface
  for (const auto& [uri, open] : documents) texts[open.path] = open.text;
  document.analysis.systemFile = system;
  try {
    document.analysis.findings = CheckCatalogue(system, options, texts, document.analysis.names);
  } catch (const Error& e) {  // memory ran out: said on the document
    document.analysis.findings = {{document.path, 1, 1, "error", "check-failed", e.description()}};
    document.analysis.names.clear();
  }
  document.stale = false;
}

void Workspace::Changed(const std::string& path, const std::string& systemFile) {
  const auto folder = std::filesystem::path(path).parent_path();
  for (auto& [uri, document] : documents)
    if (document.path == path || std::filesystem::path(document.path).parent_path() == folder ||
        (!systemFile.empty() && document.analysis.systemFile == systemFile))
      document.stale = true;
}

const Lines& Workspace::LinesOf(const std::string& path, FileCache& cache) const {
  for (const auto& [uri, document] : documents)
    if (document.path == path) return document.lines;
  auto [it, added] = cache.texts.emplace(path, "");
  if (added) {
    it->second = ReadFile(path);
    cache.lines[path] = Lines(it->second);
  }
  return cache.lines[path];
}

std::string Workspace::LibraryAnswer(const Analysis& analysis, const NamePlace& place) {
  auto& instance = instances_[analysis.systemFile];
  if (!instance) instance = std::make_unique<Pipedex>(MakeCatalogueFilePlatform(analysis.systemFile));
  Pipedex& p = *instance;
  try {
    std::string a, b, c, d, e;
    if (place.kind == "SKEY" && p.GetSKEYData(place.name, a, b, c, d, e))
      return a + "; default category " + p.GetDefaultCategory(place.name) + ", iso priority " +
             std::to_string(p.GetIsoPriority(place.name)) + "; ends " + b + " " + c + " " + d + " " + e;
    if (place.kind == "component type" && p.GetComponentTypeData(place.name, a, b, c, d))
      return "group " + a + ", PCF type " + b + ", configuration " + c + (d.empty() ? "" : "; " + d);
    if (place.kind == "end preparation")
      return p.GetEndPrepDescription(place.name) + (p.IsPlotraEndPrep(place.name) ? "; a Plotra end" : "") +
             "; connects by default to " + p.GetDefaultAllowedConnection(place.name);
    if (place.kind == "group") return p.GetGroupAttribute(place.name, "Description");
    if (place.kind == "attribute") return "IDF record " + std::to_string(p.GetIDFAttribute(place.name));
  } catch (const Error& e) {
    return "the catalogue on disk gives error " + std::to_string(e.number()) + ": " + e.description();
  }
  return "";
}

std::string PathOfUri(const std::string& uri) {
  std::string path = uri.compare(0, 7, "file://") == 0 ? uri.substr(7) : uri;
  std::string out;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const int high = i + 2 < path.size() && path[i] == '%' ? HexDigit(path[i + 1]) : -1;
    const int low = high >= 0 ? HexDigit(path[i + 2]) : -1;
    if (low >= 0) {
      out += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      out += path[i];
    }
  }
  return out;
}

std::string UriOfPath(const std::string& path) {
  static const char* hex = "0123456789ABCDEF";
  std::string uri = "file://";
  for (char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte) || std::string_view("/-._~").find(c) != std::string_view::npos) {
      uri += c;
    } else {
      uri += '%';
      uri += hex[byte >> 4];
      uri += hex[byte & 15];
    }
  }
  return uri;
}

Lines::Lines(std::string_view text) : text_(text), starts_{0} {
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
      starts_.push_back(i + 1);
}

std::string_view Lines::operator[](std::int64_t line) const {
  if (line < 0 || static_cast<std::size_t>(line) >= starts_.size()) return "";
  const std::size_t start = starts_[static_cast<std::size_t>(line)];
  std::size_t end = static_cast<std::size_t>(line) + 1 < starts_.size() ? starts_[static_cast<std::size_t>(line) + 1]
                                                                          : text_.size();
  while (end > start && (text_[end - 1] == '\n' || text_[end - 1] == '\r')) --end;
  return text_.substr(start, end - start);
}

Point Lines::ToPoint(std::int32_t line, std::int32_t column) const {
  const std::int64_t at = std::max(line, 1) - 1;
  const std::size_t characters = static_cast<std::size_t>(std::max(column, 1) - 1);
  return {at, static_cast<std::int64_t>(Utf16Units(std::string((*this)[at]), characters))};
}

std::int32_t Lines::ColumnOf(const Point& point) const {
  const std::size_t units = point.character < 0 ? 0 : static_cast<std::size_t>(point.character);
  return static_cast<std::int32_t>(CharactersInUtf16(std::string((*this)[point.line]), units)) + 1;
}

const NamePlace* NameAt(const Document& document, const Point& point) {
  for (const NamePlace& place : document.analysis.names) {
    if (place.file != document.path || place.line != point.line + 1) continue;
    const Point start = document.lines.ToPoint(place.line, place.column);
    const auto end = start.character + static_cast<std::int64_t>(Utf16Units(place.name, place.name.size()));
    if (point.character >= start.character && point.character <= end) return &place;
  }
  return nullptr;
}

}  // namespace pipedex::lsp
