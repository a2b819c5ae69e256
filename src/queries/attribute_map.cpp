// The PCF/IDF attribute map: PCF attribute names against IDF record numbers.
// Single attributes answer to each record number of their IDF text; a numbered
// family answers to ranges of records counting down from each start record.

#include <limits>
#include <optional>
#include <vector>

#include "base/errors.h"
#include "instance/pipedex_impl.h"
#include "base/text.h"

namespace pipedex {
namespace {

// The answer of GetIDFAttribute for a name or record the map does not hold.
constexpr std::int32_t kNoRecord = -9999;

// The ";"-separated parts of an IDF text; an empty text has no parts.
std::vector<std::string_view> SplitParts(std::string_view idf) {
  std::vector<std::string_view> parts;
  if (idf.empty()) return parts;
  std::size_t begin = 0;
  while (true) {
    std::size_t end = idf.find(';', begin);
    if (end == std::string_view::npos) {
      parts.push_back(idf.substr(begin));
      return parts;
    }
    parts.push_back(idf.substr(begin, end - begin));
    begin = end + 1;
  }
}

// A part that must be a number as a whole: type mismatch when it is not one,
// overflow when its rounded value is no Long.
std::int32_t StrictLong(std::string_view part) {
  auto number = text::ParseNumber(part);
  if (!number) errors::RaiseTypeMismatch();
  auto value = text::ToLong(*number);
  if (!value) errors::RaiseOverflow();
  return *value;
}

// A part read as the decimal number at its start (0 when there is none).
std::int32_t LeadingLong(std::string_view part) {
  auto value = text::ToLong(text::LeadingNumber(part));
  if (!value) errors::RaiseOverflow();
  return *value;
}

// Long arithmetic: every sum and difference must stay in the 32-bit range.
std::int32_t Checked(std::int64_t value) {
  if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
    errors::RaiseOverflow();
  return static_cast<std::int32_t>(value);
}
std::int32_t Add(std::int32_t a, std::int32_t b) { return Checked(std::int64_t{a} + b); }
std::int32_t Sub(std::int32_t a, std::int32_t b) { return Checked(std::int64_t{a} - b); }

// Whether a single attribute (or a family too small to count as one) answers to the record.
bool SingleMatches(const std::vector<std::string_view>& parts, std::int32_t record) {
  for (std::string_view part : parts)
    if (StrictLong(part) == record) return true;
  return false;
}

// Walks a family's parts (start, count, start, count, ..., [last start]) and
// gives the member number of the record, or nothing when no range holds it.
// The member number is AttBase + the counts of the ranges before the matching
// one + start - record, so that GetIDFAttribute's numbering is inverted.
std::optional<std::int32_t> FamilyMember(const model::AttLookup& e, const std::vector<std::string_view>& parts,
                                         std::int32_t record) {
  std::int32_t start = 0;
  std::int32_t counted = 0;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    std::int32_t low = 0;
    std::int32_t countedBefore = counted;
    if (i % 2 == 0) {
      start = StrictLong(parts[i]);
      // A final start covers the members not counted yet; a start still
      // waiting for its count only answers to records from 99999 up to it.
      low = i + 1 == parts.size() ? Add(Sub(start, Sub(e.Number, counted)), 1) : 99999;
    } else {
      const std::int32_t count = StrictLong(parts[i]);
      low = Add(Sub(start, count), 1);
      counted = Add(counted, count);
    }
    if (low <= record && record <= start) return Sub(Add(Add(e.AttBase, countedBefore), start), record);
  }
  return std::nullopt;
}

}  // namespace

AttCheck Pipedex::PCFAttributeCheck(const std::string& strAttribute) {
  return detail::OutOfMemoryAsError([&]() -> AttCheck {
    return detail::FromIndex(*impl_, [&](Impl& impl) -> AttCheck {
      impl.RequireLists();
      const model::AttLookup* e = impl.AttributeMap().Item(strAttribute);
      if (!e) return attIsNotRecognised;
      if (e->Number == -1) return attIsSuppressed;
      return e->UseDisplayName ? attDisplayNameIsValid : attIsValid;
    });
  });
}

std::string Pipedex::GetPCFAttribute(std::int32_t IDFAttribute) {
  return detail::OutOfMemoryAsError([&]() -> std::string {
    return detail::FromIndex(*impl_, [&](Impl& impl) -> std::string {
      impl.RequireLists();
      const model::AttList& map = impl.AttributeMap();
      for (std::int32_t position = 1; position <= map.Count(); ++position) {
        const model::AttLookup& e = *map.Item(std::int64_t{position});
        const std::vector<std::string_view> parts = SplitParts(e.IDFAttribute);
        if (e.Number <= 1) {
          if (SingleMatches(parts, IDFAttribute)) return std::string(e.PCFAttribute);
        } else if (auto member = FamilyMember(e, parts, IDFAttribute)) {
          return std::string(e.PCFAttribute).append(std::to_string(*member));
        }
      }
      return "";
    });
  });
}

std::int32_t Pipedex::GetIDFAttribute(const std::string& PCFAttribute) {
  return detail::OutOfMemoryAsError([&]() -> std::int32_t {
    return detail::FromIndex(*impl_, [&](Impl& impl) -> std::int32_t {
      impl.RequireLists();
      const model::AttLookup* e = impl.AttributeMap().Item(PCFAttribute);
      if (!e) return kNoRecord;
      const std::vector<std::string_view> parts = SplitParts(e->IDFAttribute);
      if (e->Number > 1) {
        std::string base;
        std::int32_t n = -1;
        model::AttList::ParseAttribute(PCFAttribute, base, n);
        if (parts.size() == 1) return Add(Sub(LeadingLong(parts[0]), n), e->AttBase);
        if (parts.size() == 3) {
          const std::int32_t c1 = StrictLong(parts[1]);
          if (n >= c1) return Add(Sub(Add(LeadingLong(parts[2]), c1), n), e->AttBase);
          return Add(Sub(LeadingLong(parts[0]), n), e->AttBase);
        }
        return kNoRecord;
      }
      if (e->Number == 1) return parts.empty() ? kNoRecord : LeadingLong(parts[0]);
      return kNoRecord;
    });
  });
}

}  // namespace pipedex
