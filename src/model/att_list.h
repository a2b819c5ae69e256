#pragma once

// AttList: the PCF attribute map. Single attributes and suppressed attributes
// are filed under their names; a numbered family (BASE1, BASE2, ...) is filed
// once under its base name and found for every member number in its range.

#include <cstdint>
#include <string>
#include <string_view>

#include "model/keyed_collection.h"

namespace pipedex::model {

struct AttLookup {
  std::string_view PCFAttribute;  // the attribute name, or a family's base name (kept by the list)
  std::string_view IDFAttribute;  // record number text, or a ";"-separated list (kept by the list)
  std::int32_t Number = 0;     // family size; one for a single attribute, -1 when suppressed
  std::int32_t AttBase = 0;    // first member number; zero for a single attribute, -1 when suppressed
  bool UseDisplayName = false;
};

// Kept for the initialisation memory goal: entries holding their two texts as
// std::string add 0.25 MB of heap on the 10 MB catalogue (0.33 MB at the peak,
// a thirtieth of the file; measured).
class AttList : public KeyedCollection<AttLookup> {
 public:
  // Files a new entry under the key SKEY (without a key when SKEY is "").
  // Throws pipedex::Error (457) when the key is taken; the first entry stays.
  const AttLookup& Add(std::string_view PCFAttribute, std::string_view IDFAttribute, std::int32_t Number,
                       std::int32_t AttBase, bool UseDisplayName, std::string_view SKEY = "");
  // The entry for a name: the name filed in full, else a family member by base
  // name and number range. A name that passes the numeric test is only looked
  // up as a key. Null when there is none; never throws.
  const AttLookup* Item(std::string_view name) const;
  // The entry at a position from 1, or null.
  const AttLookup* Item(std::int64_t position) const;
  // Splits a trailing number off a name: ("ATTRIBUTE10") gives ATTRIBUTE and 10;
  // a name without one gives the name and -1. Throws on a number outside the Long range.
  static void ParseAttribute(std::string_view strAtt, std::string& strPart, std::int32_t& numPart);

};

}  // namespace pipedex::model
