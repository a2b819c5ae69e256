#pragma once

// Well-formedness of a document's text before it is parsed: the parser is
// lenient where XML is not (a second root element, text after the root, a
// repeated attribute, an undeclared entity, a misplaced declaration...), and
// a catalogue author's mistake must be refused, not silently read.

#include <cstddef>
#include <string>
#include <string_view>

namespace pipedex::xml {

// The XML declaration at the very start of a text.
struct Declaration {
  bool present = false;
  std::string_view version, encoding, standalone;
};

// Reads the XML declaration at the start of text (pseudo-attributes version,
// encoding and standalone, in that order, nothing else). Returns npos when
// there is none or it is sound, otherwise the offset of its fault with reason set.
std::size_t ReadDeclaration(std::string_view text, Declaration& declaration, std::string& reason);

// Checks UTF-8 text whose characters are all XML characters. Returns npos
// when nothing is wrong, otherwise the byte offset of the first fault found,
// with reason set (ending with a line break). The whole text is checked, the
// document type declaration included: whatever the check cannot read is a
// fault, so nothing it has not judged ever reaches the lenient parser.
std::size_t CheckWellFormed(std::string_view text, std::string& reason);

// Whether a character may begin a name of XML 1.0 (fifth edition).
bool IsNameStartCharacter(char32_t c);
// Whether a character may stand in a name after its first.
bool IsNameCharacter(char32_t c);

}  // namespace pipedex::xml
