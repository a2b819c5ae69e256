#include "check/source.h"

#include <algorithm>

#include "base/files.h"
#include "base/text.h"
#include "base/well_formed.h"
#include "base/xml_document.h"

namespace pipedex::check {
namespace {

// Line and column (in characters) of a byte offset of the text; a line ends
// at a line feed, or a carriage return not followed by one.
Position At(const Source& source, std::size_t offset) {
  const std::string& text = source.text;
  std::vector<std::size_t>& starts = source.lineStarts;
  if (starts.empty()) {
    starts.push_back(0);
    for (std::size_t i = 0; i < text.size(); ++i)
      if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
        starts.push_back(i + 1);
  }
  offset = std::min(offset, text.size());
  const auto line = std::upper_bound(starts.begin(), starts.end(), offset) - 1;
  Position p;
  p.line = static_cast<std::int32_t>(line - starts.begin() + 1);
  for (std::size_t i = *line; i < offset; ++i)
    if (text[i] != '\r' && (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++p.column;
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

// A parser's reason as one line, without its closing full stop.
std::string Reason(const std::string& reason) {
  std::string line = text::OneLine(reason);
  if (!line.empty() && line.back() == '.') line.pop_back();
  return line;
}

// Whether a byte of the text may belong to a name: an ASCII name character,
// or any byte of a character beyond ASCII.
bool IsNameByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x80 || xml::IsNameCharacter(byte);
}

}  // namespace

void LoadSource(Source& source, std::vector<Finding>& findings) {
  std::string bytes;
  files::ReadStatus status = files::ReadStatus::Ok;
  if (!source.given) status = files::ReadWholeFile(source.file, xml::kMaxFileSize, bytes);
  else if (source.given->size() > xml::kMaxFileSize) status = files::ReadStatus::TooLarge;
  if (status == files::ReadStatus::TooLarge) {
    findings.push_back({source.file, 1, 1, "error", "too-large",
                        "the file is larger than the " + std::to_string(xml::kMaxFileSize >> 20) +
                            " MiB a catalogue file may have"});
    return;
  }
  if (status != files::ReadStatus::Ok) {
    findings.push_back({source.file, 1, 1, "error", "missing-file", "the file cannot be read as a regular file"});
    return;
  }
  xml::ParseError error;
  source.parsed = xml::LoadText(source.doc, source.given ? std::string_view(*source.given) : bytes, error, &source.text);
  if (source.parsed) return;
  findings.push_back({source.file, std::max(error.line, 1), std::max(error.column, 1), "error", "parse",
                      "the file does not parse: " + Reason(error.reason)});
}

void Origins::Copied(pugi::xml_node copy, pugi::xml_node original, const Source& from) {
  // The copy has the original's shape: both are walked together, without recursion.
  std::vector<std::pair<pugi::xml_node, pugi::xml_node>> pending{{copy, original}};
  while (!pending.empty()) {
    auto [c, o] = pending.back();
    pending.pop_back();
    copies_[c] = {&from, o};
    for (pugi::xml_node cc = c.first_child(), oc = o.first_child(); cc && oc;
         cc = cc.next_sibling(), oc = oc.next_sibling())
      pending.emplace_back(cc, oc);
  }
}

std::pair<const Source*, pugi::xml_node> Origins::Of(pugi::xml_node node) const {
  auto it = copies_.find(node);
  return it == copies_.end() ? std::pair{&system_, node} : it->second;
}

Position Locate(const Source& source, pugi::xml_node node) { return At(source, NodeOffset(source, node)); }

Position LocateName(const Source& source, pugi::xml_node element) {
  return At(source, NodeOffset(source, element) + 1);
}

Position LocateText(const Source& source, pugi::xml_node element) {
  // The text child_value reads: the first text or CDATA child (a name has one).
  const pugi::xml_node text = element.find_child([](pugi::xml_node child) { return xml::IsText(child.type()); });
  auto at = static_cast<std::size_t>(std::max<std::ptrdiff_t>(text.offset_debug(), 0));
  while (at < source.text.size() && source.text[at] == ' ') ++at;
  return At(source, at);
}

Position LocateValue(const Source& source, pugi::xml_node element, pugi::xml_attribute attribute) {
  const Position name = Locate(source, element, attribute);
  // The value starts after the first quote past the name (a parsed attribute has one).
  std::size_t at = source.lineStarts[static_cast<std::size_t>(name.line - 1)];
  for (std::int32_t column = 1; column < name.column; ++at)  // no line break lies before it on its line
    if ((static_cast<unsigned char>(source.text[at]) & 0xC0) != 0x80) ++column;
  return At(source, source.text.find_first_of("\"'", at) + 1);
}

Position Locate(const Source& source, pugi::xml_node element, pugi::xml_attribute attribute) {
  // The parser keeps no offset for attributes: the name is looked for in the start tag.
  const std::size_t start = NodeOffset(source, element);
  const std::size_t end = std::min(source.text.find('>', start), source.text.size());
  const std::string_view name = attribute.name();
  for (std::size_t at = source.text.find(name, start); at != std::string::npos && at < end;
       at = source.text.find(name, at + 1)) {
    const bool startsName = at > 0 && !IsNameByte(source.text[at - 1]);
    const std::size_t after = at + name.size();
    if (startsName && after < source.text.size() && !IsNameByte(source.text[after]))
      return At(source, at);
  }
  return At(source, start);
}

std::string Reporter::Place(pugi::xml_node node) const {
  const auto [file, original] = origins ? origins->Of(node) : std::pair{&source, node};
  const Position p = Locate(*file, original);
  return file->file + ":" + std::to_string(p.line) + ":" + std::to_string(p.column);
}

void Reporter::Add(const char* severity, pugi::xml_node node, std::string code, std::string message,
                   pugi::xml_attribute attribute) const {
  const auto [file, original] = origins ? origins->Of(node) : std::pair{&source, node};
  const Position p = attribute ? Locate(*file, original, attribute) : Locate(*file, original);
  findings.push_back({file->file, p.line, p.column, severity, std::move(code), std::move(message)});
}

void NameRecorder::Add(pugi::xml_node element, At at, const char* kind, std::string name, bool definition,
                       std::string container, pugi::xml_attribute attribute) const {
  if (!names || name.empty()) return;
  const auto [file, original] = origins.Of(element);
  const Position p = at == At::ElementName ? LocateName(*file, original)
                     : at == At::Text      ? LocateText(*file, original)
                                           : LocateValue(*file, original, original.attribute(attribute.name()));
  NamePlace place{file->file, p.line, p.column, kind, std::move(name), definition, std::move(container), {}};
  if (definition)
    for (pugi::xml_attribute a : element.attributes()) place.attributes.emplace_back(a.name(), a.value());
  names->push_back(std::move(place));
}

void Reporter::Error(pugi::xml_node node, std::string code, std::string message, pugi::xml_attribute attribute) const {
  Add("error", node, std::move(code), std::move(message), attribute);
}

void Reporter::Warning(pugi::xml_node node, std::string code, std::string message,
                       pugi::xml_attribute attribute) const {
  Add("warning", node, std::move(code), std::move(message), attribute);
}

}  // namespace pipedex::check
