// The sections of a catalogue file: the root element, sections the component
// does not read (with the nearest name it would read, when one is missing),
// and sections written twice.

#include <algorithm>
#include <map>
#include <vector>

#include "base/format.h"
#include "base/text.h"
#include "check/checks.h"

namespace pipedex::check {
namespace {

// The sections the component reads from each kind of file, in the guide's order.
const std::vector<const char*>& SectionsOf(FileKind kind) {
  static const std::vector<const char*> system{
      format::kCptSection,        format::kSKEYSection,          format::kEndPrepSection,
      format::kOperationSection,  format::kConfigurationSection, format::kPCFIDFSection,
      format::kDefaultEndPrepSection, format::kPlotraAttributes, format::kWeldExclusionList,
      format::kBoreTable,         format::kDefaultConnectionTable, format::kSymbols};
  static const std::vector<const char*> overlay{format::kOverlayCpt, format::kOverlayChangeGroups,
                                                format::kOverlaySKEY, format::kOverlayBoreTable, format::kSymbols};
  return kind == FileKind::System ? system : overlay;
}

// Edit distance of two ASCII names, ignoring letter case.
std::size_t Distance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      const bool same = text::AsciiUpper(a[i - 1]) == text::AsciiUpper(b[j - 1]);
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// Names at most this many edits from a section's are taken for misspellings of it.
constexpr std::size_t kMisspelt = 2;

}  // namespace

pugi::xml_node Root(const Source& source, std::vector<Finding>& findings) {
  pugi::xml_node root = source.doc.document_element();
  if (std::string_view(root.name()) == format::kRoot) return root;
  Reporter report{source, findings};
  report.Error(root ? root : source.doc.root(), "root",
               std::string("the root element is ") + (root ? root.name() : "missing") + ", not " + format::kRoot);
  return {};
}

void CheckSections(const Reporter& report, pugi::xml_node root, FileKind kind) {
  const std::vector<const char*>& known = SectionsOf(kind);
  std::map<std::string, pugi::xml_node> seen;
  for (pugi::xml_node section : root.children()) {
    if (section.type() != pugi::node_element) continue;
    const std::string name = section.name();
    auto [it, added] = seen.emplace(name, section);
    if (!added) {
      report.Warning(section, "duplicate-section",
                     "section " + name + " is written twice; only the first, at " + report.Place(it->second) +
                         ", is read");
      continue;
    }
    if (std::find_if(known.begin(), known.end(), [&](const char* k) { return name == k; }) != known.end()) continue;
    // The nearest missing section of the file's kind; of two as near, the earlier in the guide's order.
    const char* nearest = nullptr;
    std::size_t best = kMisspelt + 1;
    for (const char* candidate : known) {
      const std::size_t d = Distance(name, candidate);
      if (d < best && !root.child(candidate)) {
        best = d;
        nearest = candidate;
      }
    }
    const std::string what = "unknown section " + name + " is ignored";
    if (nearest) report.Error(section, "unknown-section", what + "; did you mean " + nearest + "?");
    else report.Warning(section, "unknown-section", what);
  }
}

}  // namespace pipedex::check
