#pragma once

// Reading back the merged catalogue as DumpXML writes it.

#include <memory>
#include <pugixml.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"

namespace pipedex::testing {

using Strings = std::vector<std::string>;

// The document DumpXML writes for the instance, comments included.
inline std::unique_ptr<pugi::xml_document> Merged(Pipedex& p, const TempDir& dir) {
  const std::string path = dir.path() + "/merged.xml";
  p.DumpXML(path);
  auto doc = std::make_unique<pugi::xml_document>();
  doc->load_file(path.c_str(), pugi::parse_default | pugi::parse_comments);
  return doc;
}

inline std::string MergedText(Pipedex& p, const TempDir& dir) {
  std::ostringstream out;
  Merged(p, dir)->save(out);
  return out.str();
}

// The texts (or, with names set, the names) of the nodes an XPath selects.
inline Strings Select(const pugi::xml_document& doc, const char* xpath, bool names = false) {
  Strings out;
  for (const pugi::xpath_node& n : doc.select_nodes(xpath))
    out.push_back(names ? n.node().name() : n.node().text().get());
  return out;
}

inline std::string Attr(const pugi::xml_document& doc, const char* xpath, const char* name) {
  return doc.select_node(xpath).node().attribute(name).value();
}

}  // namespace pipedex::testing
