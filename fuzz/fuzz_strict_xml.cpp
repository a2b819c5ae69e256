// The well-formedness verdict against a second, strict XML parser (libxml2)
// on the same bytes: a document one accepts and the other refuses is a fault,
// except where the two differ on purpose (below). Any bypass of the checks
// before parsing shows here as a document loaded that libxml2 refuses.

#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/well_formed.h"
#include "base/xml_document.h"

namespace {

void Quiet(void*, xmlErrorPtr) {}

// Whether the bytes are read the same way by both: UTF-8 text (with or
// without its byte order mark) that declares no other encoding. We decode
// text of 16 and 32 bits and 8-bit sets through iconv, with names and rules of
// our own (a 16-bit name on 8-bit text is read as UTF-8), so their verdicts
// on other encodings are not comparable.
bool ReadAsUtf8(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  if (!text.empty() && (text[0] == '\0' || text[0] == '\xFE' || text[0] == '\xFF')) return false;
  if (text.size() > 1 && text[1] == '\0') return false;
  pipedex::xml::Declaration declaration;
  std::string reason;
  if (pipedex::xml::ReadDeclaration(text, declaration, reason) != std::string_view::npos) return true;
  std::string folded;
  for (char c : declaration.encoding)
    if (c != '-' && c != '_') folded += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return folded.empty() || folded == "utf8";
}

// Documents whose verdict rests on what their document type declares beyond
// its own syntax. We never expand an entity nor read an external subset, and
// refuse every reference to an entity the document does not declare itself;
// libxml2 judges what an entity stands for and where it is referred to, and
// lets undeclared references pass once an external subset or a parameter
// entity might declare them.
bool RestsOnDeclarations(std::string_view text) {
  return text.find("<!ENTITY") != std::string_view::npos ||
         (text.find("<!DOCTYPE") != std::string_view::npos &&
          (text.find("SYSTEM") != std::string_view::npos || text.find("PUBLIC") != std::string_view::npos ||
           text.find('%') != std::string_view::npos));
}

// libxml2 reads "<!DOCTYPEa" (a name without white space before it), which XML, and we, refuse.
bool UnspacedDoctypeName(std::string_view text) {
  const std::size_t at = text.find("<!DOCTYPE");
  return at != std::string_view::npos && at + 9 < text.size() && text.find_first_of(" \t\r\n", at + 9) != at + 9;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  xmlInitParser();
  xmlSetStructuredErrorFunc(nullptr, Quiet);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(bytes), size);
  if (!ReadAsUtf8(input) || RestsOnDeclarations(input) || UnspacedDoctypeName(input)) return 0;
  // Namespaces are no part of the catalogue format: names with colons are
  // plain names to us, and their bindings are not checked.
  if (input.find("xmlns") != std::string_view::npos) return 0;

  pugi::xml_document doc;
  pipedex::xml::ParseError error;
  const bool ours = pipedex::xml::LoadText(doc, input, error);
  // A zero byte is never an XML character; libxml2 takes one after the root
  // element for the end of the input, so here only our verdict is checked.
  if (input.find('\0') != std::string_view::npos) {
    if (ours) std::abort();
    return 0;
  }

  xmlParserCtxtPtr context = xmlNewParserCtxt();
  if (!context) return 0;
  // No network, no external subset, no entity expansion; XML_PARSE_HUGE lifts
  // the nesting limit of 256 elements, which we do not have.
  xmlDocPtr parsed = xmlCtxtReadMemory(context, input.data(), static_cast<int>(size), nullptr, nullptr,
                                       XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE);
  const bool theirs = parsed != nullptr && context->wellFormed;
  // What libxml2 refuses for its own limits (nesting beyond 2048 levels even
  // with XML_PARSE_HUGE) is not a verdict on the document.
  const bool limited = context->errNo == XML_ERR_INTERNAL_ERROR;
  xmlFreeDoc(parsed);
  xmlFreeParserCtxt(context);
  if (ours != theirs && !limited) {
    std::fprintf(stderr, "pipedex %s, libxml2 %s: %s", ours ? "accepts" : "refuses", theirs ? "accepts" : "refuses",
                 ours ? "\n" : error.reason.c_str());
    std::abort();
  }
  return 0;
}
