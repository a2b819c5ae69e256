#include "check/source.h"

#include <fstream>
#include <iterator>

#include "base/xml_document.h"

namespace pipedex::check {
namespace {

// Line and column (in characters) of a byte offset of the text.
Position At(std::string_view text, std::size_t offset) {
  Position p;
  offset = std::min(offset, text.size());
  for (std::size_t i = 0; i < offset; ++i) {
    const char c = text[i];
    if (c == '\n' || (c == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) {
      ++p.line;
      p.column = 1;
    } else if (c != '\r' && (static_cast<unsigned char>(c) & 0xC0) != 0x80) {
      ++p.column;
    }
  }
  return p;
}

// The offset where an element's tag begins (its "<"), else the node's own offset.
std::size_t NodeOffset(const Source& source, pugi::xml_node node) {
  const std::ptrdiff_t offset = node.offset_debug();
  if (offset < 0) return 0;
  auto at = static_cast<std::size_t>(offset);
  if (node.type() == pugi::node_element && at > 0 && source.text[at - 1] == '<') --at;
  return at;
}

bool IsNameCharacter(char c) {
  return c == '-' || c == '_' || c == '.' || c == ':' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
         (c >= 'a' && c <= 'z') || (static_cast<unsigned char>(c) & 0x80);
}

}  // namespace

void LoadSource(Source& source, std::vector<Finding>& findings) {
  std::ifstream in(source.file, std::ios::binary);
  if (!in) {
    findings.push_back({source.file, 1, 1, "error", "missing-file", "the file cannot be read"});
    return;
  }
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  xml::ParseError error;
  source.parsed = xml::LoadText(source.doc, bytes, error, &source.text);
  if (source.parsed) return;
  std::string reason = error.reason;
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.')) reason.pop_back();
  findings.push_back({source.file, std::max(error.line, 1), std::max(error.column, 1), "error", "parse",
                      "the file does not parse: " + reason});
}

Position Locate(const Source& source, pugi::xml_node node) { return At(source.text, NodeOffset(source, node)); }

Position Locate(const Source& source, pugi::xml_node element, pugi::xml_attribute attribute) {
  // The parser keeps no offset for attributes: the name is looked for in the start tag.
  const std::size_t start = NodeOffset(source, element);
  const std::size_t end = std::min(source.text.find('>', start), source.text.size());
  const std::string_view name = attribute.name();
  for (std::size_t at = source.text.find(name, start); at != std::string::npos && at < end;
       at = source.text.find(name, at + 1)) {
    const bool startsName = at > 0 && !IsNameCharacter(source.text[at - 1]);
    const std::size_t after = at + name.size();
    if (startsName && after < source.text.size() && !IsNameCharacter(source.text[after]))
      return At(source.text, at);
  }
  return At(source.text, start);
}

std::string Place(const Source& source, pugi::xml_node node) {
  const Position p = Locate(source, node);
  return source.file + ":" + std::to_string(p.line) + ":" + std::to_string(p.column);
}

void Reporter::Add(const char* severity, pugi::xml_node node, std::string code, std::string message,
                   pugi::xml_attribute attribute) {
  const Position p = attribute ? Locate(source, node, attribute) : Locate(source, node);
  findings.push_back({source.file, p.line, p.column, severity, std::move(code), std::move(message)});
}

void Reporter::Error(pugi::xml_node node, std::string code, std::string message, pugi::xml_attribute attribute) {
  Add("error", node, std::move(code), std::move(message), attribute);
}

void Reporter::Warning(pugi::xml_node node, std::string code, std::string message, pugi::xml_attribute attribute) {
  Add("warning", node, std::move(code), std::move(message), attribute);
}

}  // namespace pipedex::check
