#pragma once

// Reading back the merged catalogue as DumpXML writes it, for tests that
// check where overlays and added SKEYs ended up.

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "pipedex/pipedex.h"
#include "test_support.h"

namespace pipedex::testing {

// The document DumpXML writes for the instance.
inline std::unique_ptr<pugi::xml_document> Merged(Pipedex& p, const TempDir& dir) {
  const std::string path = dir.path() + "/merged.xml";
  p.DumpXML(path);
  auto doc = std::make_unique<pugi::xml_document>();
  EXPECT_TRUE(doc->load_file(path.c_str(), pugi::parse_default | pugi::parse_comments));
  return doc;
}

// The text DumpXML writes for the instance.
inline std::string MergedText(Pipedex& p, const TempDir& dir) {
  std::ostringstream out;
  Merged(p, dir)->save(out);
  return out.str();
}

// What each node an XPath selects stands for: its text, or its name when `names` is set.
inline std::vector<std::string> Select(const pugi::xml_document& doc, const std::string& xpath, bool names = false) {
  std::vector<std::string> out;
  for (const pugi::xpath_node& n : doc.select_nodes(xpath.c_str()))
    out.push_back(names ? n.node().name() : n.node().text().get());
  return out;
}

using Strings = std::vector<std::string>;

}  // namespace pipedex::testing
