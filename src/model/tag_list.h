#pragma once

// TagList: XML elements filed by name (component types, SKEYs, default end
// preparation SKEYs). Filing a second element under a key replaces the first.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include <pugixml.hpp>

#include "base/flat_table.h"
#include "model/element.h"
#include "model/keyed_collection.h"

namespace pipedex::model {

// An entry as the list hands it out.
struct TagXREF {
  std::string_view Tag;  // the name the element is known by, kept by the list
  Element Node;          // the element, or nothing
};

// The list keeps only the element of an entry: its tag is its key, unless it
// was filed again under another spelling of that key.
// Kept for the initialisation memory goal: entries holding their tag as a std::string add 1.36 MB of heap at 10 MB
// (1.45 MB at the peak, 0.14 x the file; measured).
class TagList : public KeyedCollection<pugi::xml_node> {
 public:
  // Files (Tag, Node) under the key SKEY; an entry already under that key gets
  // the new Tag and Node and keeps its key and position.
  void Add(std::string_view Tag, pugi::xml_node Node, std::string_view SKEY);
  // The entry under a key, or an empty entry (Node nothing). Its Tag lives as
  // long as the list.
  TagXREF Item(std::string_view key) const;
  // The entry at a position from 1, or an empty entry.
  TagXREF Item(std::int64_t position) const;

  // The list compiled: each key upper-cased, with its element's number (the
  // item's at the same position in numbers) and its tag.
  std::string Compile(const std::vector<flat::NodeId>& numbers) const;
  // Answers Item(key) from a compiled list whose elements are in document
  // (both must outlive the list). Only Item(key) answers then; a list that
  // is compiled is never filed or walked.
  void UseCompiled(flat::Table table, const flat::Document& document);

 private:
  TagXREF At(std::size_t index) const;
  // The tag of the entry filed under this key (the key's text as the list keeps it).
  std::string_view TagOf(std::string_view key) const;
  // The tags that differ from their key, kept by the list, by the address of
  // the key's text (which stays while the list lives, even when the entry is
  // removed).
  std::unordered_map<const char*, std::string_view> otherTags_;
  flat::Table compiled_;
  const flat::Document* document_ = nullptr;  // set when compiled_ answers
};

}  // namespace pipedex::model
