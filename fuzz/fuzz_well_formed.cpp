// Arbitrary bytes as a document: the checks before parsing and the parser
// must agree on a sound document tree. Whatever loads must, written out
// again (without adding a declaration of its own), load again to the same text.

#include <cstdlib>
#include <sstream>

#include "base/xml_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(bytes), size);
  pugi::xml_document doc;
  pipedex::xml::ParseError error;
  if (!pipedex::xml::LoadText(doc, input, error)) {
    if (error.reason.empty() || error.srcText.size() > 1024) std::abort();
    return 0;
  }
  std::ostringstream first;
  doc.save(first, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
  pugi::xml_document again;
  if (!pipedex::xml::LoadText(again, first.str(), error)) std::abort();
  std::ostringstream second;
  again.save(second, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
  if (first.str() != second.str()) std::abort();
  return 0;
}
