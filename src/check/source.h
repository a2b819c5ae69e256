#pragma once

// A catalogue file read for checking: its parsed document, the UTF-8 text the
// parser read (the nodes' offsets refer to it), and the findings made in it;
// and the origins of the nodes of the merged view, where the system file's
// document has had the overlays merged into it.

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "pipedex/check.h"

namespace pipedex::check {

struct Source {
  std::string file;
  std::string text;
  pugi::xml_document doc;
  bool parsed = false;
  const std::string* given = nullptr;  // a text to read instead of the file (CheckOptions::texts)
  mutable std::vector<std::size_t> lineStarts;  // offsets of the text's lines, made on the first Locate
};

// Where a node, or one attribute of an element, starts in its file.
struct Position {
  std::int32_t line = 1;
  std::int32_t column = 1;
};

// Reads and parses a file as the component does (through the same guarded
// read); a file that cannot be read gives a "missing-file" finding, one too
// large a "too-large" finding, and one that does not parse a "parse" finding
// at the place the parser stopped.
void LoadSource(Source& source, std::vector<Finding>& findings);

// The file and node each node of the merged view comes from: the system
// file's own nodes are themselves, the merge's copies the overlay nodes they copy.
class Origins {
 public:
  explicit Origins(const Source& system) : system_(system) {}
  // Records a copy the merge made of a node of `from`, with its descendants.
  void Copied(pugi::xml_node copy, pugi::xml_node original, const Source& from);
  std::pair<const Source*, pugi::xml_node> Of(pugi::xml_node node) const;

 private:
  const Source& system_;
  std::map<pugi::xml_node, std::pair<const Source*, pugi::xml_node>> copies_;
};

Position Locate(const Source& source, pugi::xml_node node);
Position Locate(const Source& source, pugi::xml_node element, pugi::xml_attribute attribute);
// Where a name starts: an element's own name, the text it holds (after
// blanks), the value of one of its attributes.
Position LocateName(const Source& source, pugi::xml_node element);
Position LocateText(const Source& source, pugi::xml_node element);
Position LocateValue(const Source& source, pugi::xml_node element, pugi::xml_attribute attribute);

// Adds a finding at a node (at an attribute of it when one is given), in the
// file the node comes from when the reporter has the view's origins.
struct Reporter {
  const Source& source;
  std::vector<Finding>& findings;
  const Origins* origins = nullptr;

  // "FILE:LINE:COLUMN" of a node, for a message naming a second place.
  std::string Place(pugi::xml_node node) const;
  void Error(pugi::xml_node node, std::string code, std::string message, pugi::xml_attribute attribute = {}) const;
  void Warning(pugi::xml_node node, std::string code, std::string message, pugi::xml_attribute attribute = {}) const;
  void Add(const char* severity, pugi::xml_node node, std::string code, std::string message,
           pugi::xml_attribute attribute) const;
};

// Records the names of the merged view at their places, in the files they come
// from; does nothing without a list to fill.
struct NameRecorder {
  const Source& view;
  const Origins& origins;
  std::vector<NamePlace>* names = nullptr;

  enum class At { ElementName, Text, Value };
  void Add(pugi::xml_node element, At at, const char* kind, std::string name, bool definition,
           std::string container, pugi::xml_attribute attribute = {}) const;
};

}  // namespace pipedex::check
