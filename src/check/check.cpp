// CheckCatalogue: reads the system file and the overlays the component would
// merge, merges them as the component does into one view, and checks the
// view, each overlay and the language variant the locale chooses. Every file
// is read through the library's guarded read, and the files are looked for
// without exceptions, so a link loop or a vanished folder is a file that
// cannot be read, never a failure of the check. Running out of memory is the
// one failure that reaches the caller, as kOutOfMemory.

#include <algorithm>
#include <filesystem>
#include <list>
#include <map>
#include <system_error>
#include <tuple>

#include "base/errors.h"
#include "base/format.h"
#include "base/text.h"
#include "check/checks.h"
#include "instance/overlay_merge.h"

namespace pipedex {
namespace {

using Texts = std::map<std::string, std::string>;

bool IsFile(const std::string& path, const Texts& texts) {
  std::error_code error;
  return texts.count(path) != 0 || std::filesystem::is_regular_file(path, error);
}

// A source to read: the text given for its path, else the file.
void Prepare(check::Source& source, const std::string& file, const Texts& texts) {
  source.file = file;
  const auto given = texts.find(file);
  if (given != texts.end()) source.given = &given->second;
}

// The folder of a file, ending in its separator ("" for a bare name).
std::string FolderOf(const std::string& file) {
  const std::size_t sep = file.rfind(format::kPathSeparator);
  return sep == std::string::npos ? "" : file.substr(0, sep + 1);
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return a == b || std::filesystem::equivalent(a, b, error);
}

// The project and user files in the order the component merges them: the
// project file beside the system file on loading, then the ones named (a
// named file that is the one beside is merged once).
std::vector<std::string> OverlayFiles(const std::string& systemFile, const CheckOptions& options, const Texts& texts) {
  std::vector<std::string> files;
  const std::string beside = FolderOf(systemFile) + format::kProjectFileName;
  if (IsFile(beside, texts)) files.push_back(beside);
  for (const std::string& named : {options.projectFile, options.userFile})
    if (!named.empty() && std::none_of(files.begin(), files.end(), [&](const auto& f) { return SameFile(f, named); }))
      files.push_back(named);
  return files;
}

// The language variant the locale chooses, a given text counting as a file.
std::string VariantFile(const std::string& systemFile, const LocaleNames& locale, const Texts& texts) {
  if (locale.language.empty()) return "";
  for (const std::string& path : format::LanguageVariantPaths(systemFile, locale.language, locale.country))
    if (IsFile(path, texts)) return path;
  return "";
}

// The check, recording the names when asked for them.
std::vector<Finding> Check(const std::string& systemFile, const CheckOptions& options, const Texts& texts,
                           std::vector<NamePlace>* names) {
  std::vector<Finding> findings;
  check::Source view;
  Prepare(view, systemFile, texts);
  check::LoadSource(view, findings);
  pugi::xml_node root = view.parsed ? check::Root(view, findings) : pugi::xml_node();
  check::Origins origins(view);
  std::list<check::Source> overlays;  // the view's copies are mapped to their nodes
  for (const std::string& file : OverlayFiles(systemFile, options, texts)) {
    check::Source& overlay = overlays.emplace_back();
    Prepare(overlay, file, texts);
    check::LoadSource(overlay, findings);
    pugi::xml_node overlayRoot = overlay.parsed ? check::Root(overlay, findings) : pugi::xml_node();
    if (!root || !overlayRoot) continue;
    check::CheckOverlay(view, overlay, findings);
    const instance::MergeRefusal refusal = instance::WhyNotMerged(overlayRoot, root);
    if (!refusal.reason.empty()) {
      check::Reporter{overlay, findings}.Error(refusal.at, "not-merged",
                                               "the file is not merged: " + refusal.reason);
      continue;
    }
    instance::MergeOverlay(overlayRoot, root, [&](pugi::xml_node copy, pugi::xml_node original) {
      origins.Copied(copy, original, overlay);
    });
  }
  if (root) check::CheckSystem(view, origins, findings, names);
  if (const std::string file = VariantFile(systemFile, options.locale, texts); !file.empty()) {
    check::Source variant;
    Prepare(variant, file, texts);
    check::LoadSource(variant, findings);
    if (variant.parsed && check::Root(variant, findings) && root) check::CheckVariant(view, variant, findings);
  }
  std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) {
    return std::tie(a.file, a.line, a.column) < std::tie(b.file, b.line, b.column);
  });
  return findings;
}

}  // namespace

std::vector<Finding> CheckCatalogue(const std::string& systemFile, const CheckOptions& options) try {
  return Check(systemFile, options, {}, nullptr);
} catch (const std::bad_alloc&) {
  errors::RaiseOutOfMemory();
}

std::vector<Finding> CheckCatalogue(const std::string& systemFile, const CheckOptions& options, const Texts& texts,
                                    std::vector<NamePlace>& names) try {
  names.clear();
  return Check(systemFile, options, texts, &names);
} catch (const std::bad_alloc&) {
  errors::RaiseOutOfMemory();
}

std::string LanguageVariantFile(const std::string& systemFile, const LocaleNames& locale) try {
  return VariantFile(systemFile, locale, {});
} catch (const std::bad_alloc&) {
  errors::RaiseOutOfMemory();
}

std::string FormatFinding(const Finding& f) try {
  return f.file + ":" + std::to_string(f.line) + ":" + std::to_string(f.column) + ": " + f.severity + ": " + f.message +
         " [" + f.code + "]";
} catch (const std::bad_alloc&) {
  errors::RaiseOutOfMemory();
}

std::size_t Utf16Units(const std::string& line, std::size_t characters) {
  return text::Utf16Units(line, characters);
}

std::size_t CharactersInUtf16(const std::string& line, std::size_t units) {
  return text::CharactersInUtf16(line, units);
}

std::vector<std::string> FormatElementNames() try {
  using namespace format;
  std::vector<std::string> names{kRoot, kCptSection, kSKEYSection, kEndPrepSection, kOperationSection,
                                 kConfigurationSection, kPCFIDFSection, kDefaultEndPrepSection, kPlotraAttributes,
                                 kWeldExclusionList, kBoreTable, kDefaultConnectionTable, kSymbols, kOverlayCpt,
                                 kOverlayChangeGroups, kOverlaySKEY, kOverlayBoreTable, kSKEY, kOperation, kFlag,
                                 kEndPrep, kConfig, kDefaultConfiguration, kDefaultDataEntry, kPlacement,
                                 kComponentType, kIDF, kDEFAULT, kSKEYList, kATT, kSuppressList, kExclude, kBore,
                                 kLeg, kKeypoint};
  names.insert(names.end(), std::begin(kConnectionPointPreps), std::end(kConnectionPointPreps));
  std::sort(names.begin(), names.end());
  return names;
} catch (const std::bad_alloc&) {
  errors::RaiseOutOfMemory();
}

std::vector<std::string> FormatAttributeNames() try {
  using namespace format;
  std::vector<std::string> names{kAttrPCFTYPE, kAttrConfiguration, kAttrDescription, kAttrCategory, kAttrIsoPriority,
                                 kAttrPlotra, kAttrTrimmable, kAttrAttribute, kAttrEnum, kAttrKeypointA,
                                 kAttrKeypointB, kAttrName, kAttrCoords, kAttrPCF, kAttrPCFBASE, kAttrIDF,
                                 kAttrNUMBER, kAttrBASE, kAttrEXPORTUSING, kAttrSUPPRESS, kAttrMM, kAttrIN, kAttrAllow};
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
} catch (const std::bad_alloc&) {
  errors::RaiseOutOfMemory();
}

}  // namespace pipedex
