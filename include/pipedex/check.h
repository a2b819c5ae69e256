#pragma once

// Checking a catalogue for an author's mistakes: the system file with the
// project and user files merged into it as the component merges them, and
// the language variant the locale chooses. Each finding names the file whose
// text causes it, the exact line and column (in characters, whatever the
// file's encoding), and what is wrong.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "pipedex/export.h"
#include "pipedex/platform.h"

namespace pipedex {

struct Finding {
  std::string file;
  std::int32_t line = 0;    // from 1
  std::int32_t column = 0;  // characters from the start of the line, from 1
  std::string severity;     // "error" or "warning"
  std::string code;         // a short name of the check, e.g. "undefined-skey"
  std::string message;      // one line
};

struct CheckOptions {
  // Merged after the ProjectPipedex.xml beside the system file (which is
  // merged whenever it exists), as LoadProjectXML and LoadUserXML would; "" = none.
  std::string projectFile;
  std::string userFile;
  LocaleNames locale;       // chooses the language variant as loading does; "" language = none checked
};

// A name of the catalogue where it is defined or used: an SKEY, component
// type, group, end preparation, configuration, PCF type, operation or PCF
// attribute (of PLOTRA-ATTRIBUTES).
struct NamePlace {
  std::string file;
  std::int32_t line = 0;    // of the name's first character, as in Finding
  std::int32_t column = 0;
  std::string kind;         // "SKEY", "component type", "group", "end preparation", "configuration",
                            // "PCF type", "operation", "attribute"
  std::string name;
  bool definition = false;  // else a use that must name a definition
  std::string container;    // a component type's group, a use's component type or section; "" for none
  // A definition's element's attributes in file order; a PCF type's IDF records as "IDF".
  std::vector<std::pair<std::string, std::string>> attributes;
};

// The findings for a system file, sorted by file, line and column. Throws
// pipedex::Error only when memory runs out (0x8007000E), as the two below.
PIPEDEX_API std::vector<Finding> CheckCatalogue(const std::string& systemFile, const CheckOptions& options = {});
// The same with `texts` read instead of the files at those paths (an editor's
// unsaved buffers; a path with a text counts as an existing file, spelt as
// systemFile and the options spell it), and the names of the merged view
// (definitions and uses) in `names`, each in the file its node comes from.
PIPEDEX_API std::vector<Finding> CheckCatalogue(const std::string& systemFile, const CheckOptions& options,
                                                const std::map<std::string, std::string>& texts,
                                                std::vector<NamePlace>& names);

// The element and attribute names the catalogue format knows, sorted.
PIPEDEX_API std::vector<std::string> FormatElementNames();
PIPEDEX_API std::vector<std::string> FormatAttributeNames();

// The language variant loading applies for a system file and a locale: beside
// it, SystemPipedex.ll-CC.xml, else SystemPipedex.ll.xml, else
// SystemPipedex.en.xml; "" when none exists or the language is "".
PIPEDEX_API std::string LanguageVariantFile(const std::string& systemFile, const LocaleNames& locale);

// Editors count columns in UTF-16 code units: the units of the first
// `characters` characters of a line (all of it for more), and how many
// characters fit in `units`. A byte that is not valid UTF-8 is one character.
PIPEDEX_API std::size_t Utf16Units(const std::string& line, std::size_t characters);
PIPEDEX_API std::size_t CharactersInUtf16(const std::string& line, std::size_t units);

// "FILE:LINE:COLUMN: severity: message [code]", the form compilers use.
PIPEDEX_API std::string FormatFinding(const Finding& finding);

}  // namespace pipedex
