// Language variants of the system file: "SystemPipedex.de-AT.xml",
// "SystemPipedex.de.xml" or "SystemPipedex.en.xml" beside it supply
// translated attribute texts for groups, component types, end preparations,
// operations and SKEYs.

#include "base/errors.h"
#include "base/format.h"
#include "base/path_index.h"
#include "instance/pipedex_impl.h"
#include "base/xml_utils.h"

namespace pipedex {
namespace {

std::string CutAtZero(const std::string& s) { return s.substr(0, s.find('\0')); }

}  // namespace

std::unique_ptr<pugi::xml_document> Pipedex::Impl::LoadLanguageDocument(const std::string& dataPath,
                                                                       const std::string& baseName,
                                                                       const LocaleNames& locale) {
  const std::string language = CutAtZero(locale.language);
  const std::string country = CutAtZero(locale.country);
  // F: everything up to and including the last separator ("" when there is none).
  auto sep = dataPath.rfind(format::kPathSeparator);
  const std::string folder = sep == std::string::npos ? "" : dataPath.substr(0, sep + 1);
  const std::string candidates[] = {
      folder + baseName + "." + language + "-" + country + ".xml",
      folder + baseName + "." + language + ".xml",
      folder + baseName + ".en.xml",
  };
  for (const std::string& file : candidates) {
    if (!platform->FileExists(file)) continue;
    auto doc = std::make_unique<pugi::xml_document>();
    xml::ParseError error;
    if (!xml::LoadFile(*doc, file, error))
      throw Error(errors::kParseError, kSource, xml::ParseErrorFrame("Error parsing Zenrod XML Data", error));
    return doc;  // the first variant that exists is the only one tried
  }
  return nullptr;
}

void Pipedex::Impl::ApplyLanguageText(const std::vector<pugi::xml_node>& nodes) {
  if (!SystemDoc) detail::RaiseObjectNotSet();
  // Each variant element goes to the system element its NodePath selects; the
  // index answers that selection without searching the document every time.
  xml::PathIndex systemElements(*SystemDoc);
  for (pugi::xml_node n : nodes) {
    pugi::xml_node target = systemElements.FirstMatch(n);
    if (!target) continue;
    for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
      pugi::xml_attribute existing = target.attribute(a.name());
      if (existing) existing.set_value(a.value());
    }
  }
}

}  // namespace pipedex
