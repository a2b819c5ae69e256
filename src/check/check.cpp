// CheckCatalogue: reads the system file, the language variant the locale
// chooses and the overlays the component would merge, and checks each; the
// angles of the default elbows are worked out by loading the catalogue as an
// instance does.

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "base/format.h"
#include "check/checks.h"
#include "instance/default_elbows.h"
#include "pipedex/error.h"

namespace pipedex {
namespace {

bool Exists(const std::string& path) { return std::filesystem::is_regular_file(path); }

// Default elbows whose geometry gives no angle, as the component works them out.
void CheckElbowAngles(const check::Source& system, std::vector<Finding>& findings) {
  SystemPlatformOptions options;
  options.locale = "en_US";
  std::vector<model::DefaultElbow> elbows;
  try {
    elbows = instance::LoadDefaultElbows(MakeCatalogueFilePlatform(system.file, options));
  } catch (const Error&) {
    return;  // what keeps it from loading is reported by the other checks
  }
  check::Reporter report{system, findings};
  for (const model::DefaultElbow& elbow : elbows) {
    if (elbow.Angle() != 0) continue;
    for (pugi::xml_node group : system.doc.document_element().child(format::kCptSection).children())
      if (pugi::xml_node type = group.child(elbow.ComponentType().c_str())) {
        report.Warning(type, "elbow-no-angle",
                       "default elbow " + elbow.ComponentType() + " has a geometry that gives no angle");
        break;
      }
  }
}

}  // namespace

std::vector<Finding> CheckCatalogue(const std::string& systemFile, const CheckOptions& options) {
  std::vector<Finding> findings;
  check::Source system;
  system.file = systemFile;
  check::LoadSource(system, findings);
  if (system.parsed) {
    check::CheckSystem(system, findings);
    if (std::string_view(system.doc.document_element().name()) == format::kRoot) CheckElbowAngles(system, findings);
  }
  const std::string parent = std::filesystem::path(systemFile).parent_path().string();
  const std::string folder = parent.empty() ? "" : parent + "/";
  auto checkOther = [&](const std::string& file, bool variant) {
    if (file.empty()) return;
    check::Source other;
    other.file = file;
    check::LoadSource(other, findings);
    if (!other.parsed) return;
    if (variant) check::CheckVariant(system, other, findings);
    else check::CheckOverlay(system, other, findings);
  };
  checkOther(LanguageVariantFile(systemFile, options.locale), true);
  std::string project = options.projectFile;
  if (project.empty() && Exists(folder + format::kProjectFileName)) project = folder + format::kProjectFileName;
  checkOther(project, false);
  checkOther(options.userFile, false);
  std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) {
    return std::tie(a.file, a.line, a.column) < std::tie(b.file, b.line, b.column);
  });
  return findings;
}

std::string LanguageVariantFile(const std::string& systemFile, const LocaleNames& locale) {
  if (locale.language.empty()) return "";
  const std::string parent = std::filesystem::path(systemFile).parent_path().string();
  const std::string folder = parent.empty() ? "" : parent + "/";
  for (const std::string& name : format::LanguageVariantNames(locale.language, locale.country))
    if (Exists(folder + name)) return folder + name;
  return "";
}

std::string FormatFinding(const Finding& f) {
  return f.file + ":" + std::to_string(f.line) + ":" + std::to_string(f.column) + ": " + f.severity + ": " + f.message +
         " [" + f.code + "]";
}

}  // namespace pipedex
