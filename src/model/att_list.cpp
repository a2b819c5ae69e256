#include "model/att_list.h"

#include "base/errors.h"

namespace pipedex::model {
namespace {

// Number of characters at the end of s that form the longest run of suffixes
// which each pass the numeric test, growing one character at a time from the
// end and stopping at the first that does not. Only digits, one decimal point,
// then one sign, then blanks can extend such a run (a suffix starting with an
// exponent letter never passes), so one backward scan finds it.
std::size_t TrailingNumberLength(std::string_view s) {
  std::size_t i = s.size();
  bool digit = false, point = false;
  while (i > 0) {
    char c = s[i - 1];
    if (c >= '0' && c <= '9') {
      digit = true;
    } else if (c == '.' && !point && digit) {
      point = true;
    } else {
      break;
    }
    --i;
  }
  if (!digit) return 0;
  if (i > 0 && (s[i - 1] == '+' || s[i - 1] == '-')) --i;
  while (i > 0 && s[i - 1] == ' ') --i;
  return s.size() - i;
}

}  // namespace

const AttLookup& AttList::Add(std::string_view PCFAttribute, std::string_view IDFAttribute, std::int32_t Number,
                              std::int32_t AttBase, bool UseDisplayName, std::string_view SKEY) {
  if (!SKEY.empty() && items_.Find(SKEY))
    throw Error(errors::kKeyTaken, errors::kSource,
                "This key is already associated with an element of this collection");
  if (SKEY.empty()) {
    items_.AppendUnkeyed({items_.Keep(PCFAttribute), items_.Keep(IDFAttribute), Number, AttBase, UseDisplayName});
    return *items_.At(items_.Count());
  }
  // The name is usually its own key (already upper case): then it is kept once.
  return items_.FindOrAppend(SKEY, [&](std::string_view key) {
    return AttLookup{PCFAttribute == key ? key : items_.Keep(PCFAttribute), items_.Keep(IDFAttribute), Number,
                     AttBase, UseDisplayName};
  });
}

void AttList::ParseAttribute(std::string_view strAtt, std::string& strPart, std::int32_t& numPart) {
  std::size_t n = TrailingNumberLength(strAtt);
  if (n == 0) {
    strPart = std::string(strAtt);
    numPart = -1;
    return;
  }
  strPart = std::string(strAtt.substr(0, strAtt.size() - n));
  auto value = text::ToLong(text::ParseNumber(strAtt.substr(strAtt.size() - n)).value_or(0.0));
  if (!value) errors::RaiseOverflow();
  numPart = *value;
}

const AttLookup* AttList::Item(std::string_view name) const {
  try {
    if (text::IsNumeric(name)) return items_.Find(name);
    if (const AttLookup* e = items_.Find(name)) return e;
    std::string strPart;
    std::int32_t numPart = -1;
    ParseAttribute(name, strPart, numPart);
    if (numPart < 0) return nullptr;
    const AttLookup* e = items_.Find(strPart);
    if (!e) return nullptr;
    std::int64_t last = static_cast<std::int64_t>(e->AttBase) + e->Number - 1;
    return (e->AttBase <= numPart && numPart <= last) ? e : nullptr;
  } catch (...) {
    // A numbered name whose number cannot be read names no attribute.
    errors::RethrowIfNoAnswer();
    return nullptr;
  }
}

const AttLookup* AttList::Item(std::int64_t position) const { return items_.At(position); }

}  // namespace pipedex::model
