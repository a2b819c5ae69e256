#pragma once

// Merging a project or user file into the system document: the one merge
// the component makes (LoadProjectXML) and the catalogue check repeats on
// its own copy of the files.

#include <functional>
#include <string>

#include <pugixml.hpp>

namespace pipedex::instance {

// What keeps an overlay from being merged: the node at fault and why ("" when
// nothing does).
struct MergeRefusal {
  pugi::xml_node at;
  std::string reason;
};

// Told of each node the merge copies into the merged document, with the
// overlay node it is a copy of (its descendants are copied alike).
using CopyObserver = std::function<void(pugi::xml_node copy, pugi::xml_node original)>;

// Why the overlay whose root element is projectRoot would not be merged into
// dataRoot: it has none of the merged sections, a foreign root, a section
// whose target the system document lacks, or a bore row without MM and IN.
MergeRefusal WhyNotMerged(pugi::xml_node projectRoot, pugi::xml_node dataRoot);

// Merges U_CPT, CHANGE_GROUPS, U_SKEY and U_BORE-CONVERSION-TABLE, in that
// order, as a whole or not at all; false when nothing was merged.
bool MergeOverlay(pugi::xml_node projectRoot, pugi::xml_node dataRoot, const CopyObserver& copied = {});

}  // namespace pipedex::instance
