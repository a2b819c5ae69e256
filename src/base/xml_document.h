#pragma once

// The XML document service: a thin layer over pugixml for what the component
// needs beyond pugixml's own API (loading with a parser report, an element's
// text, replacing content by one text, saving, evaluating XPath).

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

namespace pipedex::xml {

// What the parser reports about a file that could not be loaded.
struct ParseError {
  std::string reason;   // ends with its own line break
  std::int32_t line = 0;
  std::string srcText;  // the source text of the failing line
  std::int32_t column = 0;  // characters from the start of the line, from 1
  bool unreadable = false;  // the file's text could not be read (a failing system call): no fault of the text
};

// The largest catalogue file that is read: a larger one is refused before
// any of it is read.
constexpr std::size_t kMaxFileSize = std::size_t{2} << 30;

// Loads a file. Files in encodings pugixml does not decode itself (such as
// windows-1252) are converted to UTF-8 first. DTD entities are never expanded
// and no external resource is ever loaded. Only well-formed XML 1.0 is
// accepted: character references must name XML characters, and the faults
// the parser itself would let through (a second root element, a repeated
// attribute, an undeclared entity, a misplaced declaration...) are refused
// with their location. Returns false and fills error on failure. contentHash,
// when given, receives hashing::ContentHash of the bytes read (0 when the file
// was read some other way, or not at all).
bool LoadFile(pugi::xml_document& doc, const std::string& path, ParseError& error, std::uint64_t* contentHash = nullptr);
// Loads a document from text in memory, with the same rules as LoadFile.
// With parsed set, it receives the UTF-8 text the parser read, to which the
// nodes' offset_debug() refers.
bool LoadText(pugi::xml_document& doc, std::string_view bytes, ParseError& error, std::string* parsed = nullptr);

// The description frame of a file that does not parse: the leading text, a line
// break, the reason, "Line   : ", the line number, a line break, "Source : ", the source line.
std::string ParseErrorFrame(std::string_view leading, const ParseError& error);

// The character data of a node and all its descendants, concatenated.
std::string Text(pugi::xml_node node);
// Whether a node of this kind is text (plain or CDATA).
inline bool IsText(pugi::xml_node_type kind) { return kind == pugi::node_pcdata || kind == pugi::node_cdata; }
// Why a caller's text cannot stand in a document ("" when it can): it is
// not valid UTF-8, or holds a character XML does not allow (a zero byte,
// another control character than tab, line feed and carriage return, U+FFFE, U+FFFF).
std::string WhyNotXmlText(std::string_view text);
// Replaces the content of an element by one text node. Throws pipedex::Error
// when the text cannot stand in a document.
void SetText(pugi::xml_node node, std::string_view text);
// A copy pugixml has just made of original (append_copy, insert_copy_*),
// checked whole: when the parser's allocator refuses part way, pugixml leaves
// nodes or texts out of the copy without a word, so a copy that differs from
// its original is removed and reported as std::bad_alloc.
pugi::xml_node WholeCopy(pugi::xml_node copy, pugi::xml_node original);

// Writes the whole document to a file (UTF-8, declared so, indented). Symbolic
// links are followed and the file they name is replaced; a file that exists
// is replaced only when it is a regular, writable file with no other hard
// link, and keeps its owner, group and mode; a new file gets the umask.
// Throws pipedex::Error when the file cannot be written; an existing file
// is then left untouched.
void SaveFile(const pugi::xml_document& doc, const std::string& path);
// The XML text of a node without indentation.
std::string OuterXml(pugi::xml_node node);

// Evaluates an XPath expression relative to a node: the nodes it selects in
// document order. Throws pipedex::Error when the expression is invalid.
std::vector<pugi::xml_node> SelectNodes(pugi::xml_node context, const std::string& xpath);
// The first node an XPath expression selects, or an empty node.
pugi::xml_node SelectSingleNode(pugi::xml_node context, const std::string& xpath);

// The elements that a location path of plain child steps selects, such as
// {"A_CPT", "*", "*"} for "A_CPT/*/*" (each step an element name, or "*" for
// any element): the same nodes, in the same document order, as SelectNodes
// with that path, found by walking the children instead of through the XPath engine.
std::vector<pugi::xml_node> SelectChildPath(pugi::xml_node context, std::initializer_list<std::string_view> steps);

// Visits the descendants of a node in document order through pugixml's own
// tree walk, which does not recurse, so deep documents cannot exhaust the
// stack. visit(node, depth) gets the depth below `root` from 0; returning
// false ends the walk.
template <typename Visit>
void WalkDescendants(pugi::xml_node root, Visit&& visit) {
  struct Walker final : pugi::xml_tree_walker {
    explicit Walker(Visit& v) : visit(v) {}
    bool for_each(pugi::xml_node& node) override { return visit(node, depth()); }
    Visit& visit;
  } walker(visit);
  root.traverse(walker);
}

// The element children of a node, in document order.
std::vector<pugi::xml_node> ChildElements(pugi::xml_node node);
// The first element child with the given name (exact), or an empty node.
pugi::xml_node FirstChildElement(pugi::xml_node node, std::string_view name);

}  // namespace pipedex::xml
