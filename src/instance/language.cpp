// Language variants of the system file: the first of its variants for the
// thread's locale that lies beside it (format::LanguageVariantNames) supplies
// translated attribute texts for groups, component types, end preparations,
// operations and SKEYs.

#include <new>

#include "base/errors.h"
#include "base/format.h"
#include "base/path_index.h"
#include "instance/pipedex_impl.h"
#include "base/xml_utils.h"

namespace pipedex {
namespace {

std::string CutAtZero(const std::string& s) { return s.substr(0, s.find('\0')); }

}  // namespace

std::array<std::string, 3> Pipedex::Impl::LanguageVariantPaths(const std::string& dataPath,
                                                               const LocaleNames& locale) {
  // A locale's code ends at a zero character, as a C string does.
  return format::LanguageVariantPaths(dataPath, CutAtZero(locale.language), CutAtZero(locale.country));
}

std::unique_ptr<pugi::xml_document> Pipedex::Impl::LoadLanguageDocument(const std::string& dataPath,
                                                                       const LocaleNames& locale) {
  for (const std::string& file : LanguageVariantPaths(dataPath, locale)) {
    if (!platform->FileExists(file)) continue;
    auto doc = std::make_unique<pugi::xml_document>();
    xml::ParseError error;
    if (!xml::LoadFile(*doc, file, error)) {
      ReadFailed = ReadFailed || error.unreadable;
      throw Error(errors::kParseError, errors::kSource, xml::ParseErrorFrame(errors::kSystemParseHeading, error));
    }
    return doc;  // the first variant that exists is the only one tried
  }
  return nullptr;
}

void Pipedex::Impl::ApplyLanguageText(xml::PathIndex& systemElements, const std::vector<pugi::xml_node>& nodes) {
  if (!SystemDoc) errors::RaiseObjectNotSet();
  // Each variant element goes to the system element its NodePath selects; the
  // index answers that selection without searching the document every time.
  // Attribute values are all that change, never a text nor an element, so
  // the targets can all be found before any is changed, and one index serves
  // every selection.
  const std::vector<pugi::xml_node> targets = systemElements.FirstMatches(nodes);
  for (std::size_t i = 0; i < targets.size(); ++i) {
    if (!targets[i]) continue;
    for (pugi::xml_attribute a = nodes[i].first_attribute(); a; a = a.next_attribute()) {
      pugi::xml_attribute existing = targets[i].attribute(a.name());
      // The parser's allocator refuses by answering false; that is running out of memory.
      if (existing && !existing.set_value(a.value())) throw std::bad_alloc();
    }
  }
  // The element whose path is invalid raises its error here, after those before it took effect.
  if (targets.size() < nodes.size()) systemElements.FirstMatch(nodes[targets.size()]);
}

}  // namespace pipedex
