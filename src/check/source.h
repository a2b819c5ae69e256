#pragma once

// A catalogue file read for checking: its parsed document, the UTF-8 text the
// parser read (the nodes' offsets refer to it), and the findings made in it.

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
};

// Where a node, or one attribute of an element, starts in its file.
struct Position {
  std::int32_t line = 1;
  std::int32_t column = 1;
};

// Reads and parses a file as the component does; a file that does not parse
// gives one "parse" finding at the place the parser stopped.
void LoadSource(Source& source, std::vector<Finding>& findings);

Position Locate(const Source& source, pugi::xml_node node);
Position Locate(const Source& source, pugi::xml_node element, pugi::xml_attribute attribute);
// "FILE:LINE:COLUMN" of a node, for a message naming a second place.
std::string Place(const Source& source, pugi::xml_node node);

// Adds a finding at a node (at an attribute of it when one is given).
struct Reporter {
  const Source& source;
  std::vector<Finding>& findings;

  void Error(pugi::xml_node node, std::string code, std::string message, pugi::xml_attribute attribute = {});
  void Warning(pugi::xml_node node, std::string code, std::string message, pugi::xml_attribute attribute = {});
  void Add(const char* severity, pugi::xml_node node, std::string code, std::string message,
           pugi::xml_attribute attribute);
};

}  // namespace pipedex::check
