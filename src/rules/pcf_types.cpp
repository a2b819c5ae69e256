// PCF type selection: which PCF types fit an SKEY and an IDF record, the
// default PCF type of a record, and whether weld attributes may be written.

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/format.h"
#include "instance/pipedex_impl.h"
#include "base/text.h"
#include "base/xml_document.h"
#include "base/xml_utils.h"

namespace pipedex {
namespace {

// The record number "999" stands for no particular record.
constexpr std::int32_t kAnyRecord = 999;

std::string RecordKey(std::int32_t record) { return std::to_string(record); }

// The default PCF type of an IDF record: its only PCF type, else the first
// one marked "DEFAULT", else "".
std::string DefaultPCFTYPE(const model::CTypeIndex& idfIndex, std::int32_t record) {
  const model::CTypeLookup& entry = idfIndex.Item(RecordKey(record));
  if (entry.nCpts() == 0) return "";
  if (entry.nCpts() == 1) return std::string(entry.GetPCFTYPE(1));
  for (std::int32_t i = 1; i <= entry.nCpts(); ++i)
    if (entry.GetCptType(i) == format::kDEFAULT) return std::string(entry.GetPCFTYPE(i));
  return "";
}

// Keeps the candidates that the record lists, in the record's order: for each
// of the record's PCF types, every candidate (in list order) equal to it when
// both are upper-cased and trimmed. Each candidate is normalised once; long
// lists are grouped by that form, so the filter stays linear in the
// candidates and the record's types.
model::NameList FilterByRecord(const model::NameList& candidates, const model::CTypeLookup& record) {
  std::vector<std::string> forms(candidates.size());
  for (std::size_t c = 1; c < candidates.size(); ++c) forms[c] = text::UpperTrim(candidates[c]);
  model::NameList kept{""};
  const std::size_t pairs = static_cast<std::size_t>(record.nCpts()) * candidates.size();
  if (pairs <= 1024) {
    for (std::int32_t i = 1; i <= record.nCpts(); ++i) {
      const std::string wanted = text::UpperTrim(record.GetPCFTYPE(i));
      for (std::size_t c = 1; c < candidates.size(); ++c)
        if (forms[c] == wanted) kept.push_back(candidates[c]);
    }
    return kept;
  }
  std::unordered_map<std::string_view, std::vector<std::size_t>> byForm;
  for (std::size_t c = 1; c < candidates.size(); ++c) byForm[forms[c]].push_back(c);
  for (std::int32_t i = 1; i <= record.nCpts(); ++i) {
    auto it = byForm.find(text::UpperTrim(record.GetPCFTYPE(i)));
    if (it == byForm.end()) continue;
    for (std::size_t c : it->second) kept.push_back(candidates[c]);
  }
  return kept;
}

// Drops every name that repeats an earlier one exactly; first occurrences keep their order.
model::NameList WithoutDuplicates(const model::NameList& names) {
  model::NameList unique{""};
  if (names.size() <= 32) {  // short lists: compared directly, without a set
    for (std::size_t i = 1; i < names.size(); ++i)
      if (std::find(unique.begin() + 1, unique.end(), names[i]) == unique.end()) unique.push_back(names[i]);
    return unique;
  }
  std::unordered_set<std::string_view> seen;
  for (std::size_t i = 1; i < names.size(); ++i)
    if (seen.insert(names[i]).second) unique.push_back(names[i]);
  return unique;
}

}  // namespace

std::int32_t Pipedex::FindPCFTYPEs(const std::string& SKEY, std::int32_t IDFRecNo) {
  return detail::OutOfMemoryAsError([&]() -> std::int32_t {
    Impl& d = detail::Loaded(*impl_);
    if (!d.PCFTYPEList) d.PCFTYPEList = model::NameList{""};
    model::NameList& list = *d.PCFTYPEList;

    // The candidates, by the first rule that applies. Only the whole-catalogue
    // listing reads no index; the others raise when the lists were never built.
    if (!SKEY.empty() || IDFRecNo != kAnyRecord) d.RequireLists();
    if (d.SKEYHasEndPrepSuffix(SKEY)) {
      Impl::AppendNamesToList("PCFTYPE", list, d.SKEYIndex.Item(model::GenericSKEY(SKEY)), false);
      Impl::AppendNamesToList("PCFTYPE", list, d.SKEYIndex.Item(SKEY), true);
    } else if (SKEY != "*" && !SKEY.empty()) {
      Impl::AppendNamesToList("PCFTYPE", list, d.SKEYIndex.Item(SKEY), false);
    } else if (IDFRecNo != kAnyRecord) {
      Impl::AppendNamesToList("PCFTYPE", list, d.IDFIndex.Item(RecordKey(IDFRecNo)), false);
    } else if (SKEY.empty()) {
      // Every section may be missing: no A_PCFIDF section lists no PCF type.
      std::vector<model::Element> pcfTypes;
      if (d.PCFIDFSection) pcfTypes = d.PCFIDFSection.Select({"*"});
      Impl::AppendNamesToList("PCFTYPE", list, pcfTypes, false);
    } else {
      list.assign(1, "");
      d.SKEYIndex.ForEach(
          [&](const model::CTypeLookup& entry) { Impl::AppendNamesToList("PCFTYPE", list, entry, true); });
    }

    return detail::Answer(d, 0, [&](Impl&) -> std::int32_t {
      // Fit to the IDF record: its default when nothing was found, otherwise
      // only the candidates the record lists.
      const bool empty = list.size() <= 1;
      if (IDFRecNo >= 1 && (empty || IDFRecNo != kAnyRecord)) d.RequireLists();  // the record index
      if (empty && IDFRecNo >= 1) {
        list = model::NameList{"", DefaultPCFTYPE(d.IDFIndex, IDFRecNo)};
      } else if (!empty && IDFRecNo >= 1 && IDFRecNo != kAnyRecord) {
        list = FilterByRecord(list, d.IDFIndex.Item(RecordKey(IDFRecNo)));
      }
      // Each name once; the answer is the number of names.
      if (list.size() > 2) list = WithoutDuplicates(list);
      return static_cast<std::int32_t>(list.size() - 1);
    });
  });
}

std::string Pipedex::GetPCFTYPE(std::int32_t index) {
  return detail::Answer(*impl_, "", [&](Impl& impl) -> std::string {
    if (!impl.PCFIDFRead || !impl.PCFTYPEList) return "";
    const model::NameListResult& list = impl.PCFTYPEList;
    if (index < 1 || static_cast<std::size_t>(index) >= list.size()) return "";
    return std::string(list[static_cast<std::size_t>(index)]);
  });
}

std::string Pipedex::GetDefaultPCFTYPE(std::int32_t IDFRec) {
  return detail::AnswerFromIndex(*impl_, "",
                                 [&](Impl& impl) -> std::string { return DefaultPCFTYPE(impl.IDFRecords(), IDFRec); });
}

bool Pipedex::WeldAttributesAllowed(std::int32_t IDFRecord, const std::string& SKEY) {
  return detail::Answer(*impl_, true, [&](Impl& impl) -> bool {
    // An exclusion without an SKEY (or with "XXXXXX") covers every SKEY of the record.
    return !model::WeldExcluded(impl, impl.DataRoot, RecordKey(IDFRecord), text::UpperTrim(SKEY));
  });
}

}  // namespace pipedex
