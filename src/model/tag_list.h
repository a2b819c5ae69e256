#pragma once

// TagList: XML elements filed by name (component types, SKEYs, default end
// preparation SKEYs). Filing a second element under a key replaces the first.

#include <string>
#include <string_view>

#include <pugixml.hpp>

#include "model/keyed_collection.h"

namespace pipedex::model {

struct TagXREF {
  std::string_view Tag;  // the name the element is known by, kept by the list
  pugi::xml_node Node;   // the element, or nothing
};

class TagList : public KeyedCollection<TagXREF> {
 public:
  // Files (Tag, Node) under the key SKEY; an entry already under that key gets
  // the new Tag and Node and keeps its key and position.
  void Add(std::string_view Tag, pugi::xml_node Node, std::string_view SKEY);
  // The entry under a key, or an empty entry (Node nothing) that is not stored.
  const TagXREF& Item(std::string_view key) const;
  // The entry at a position from 1, or an empty entry.
  const TagXREF& Item(std::int64_t position) const;
};

}  // namespace pipedex::model
