#pragma once

// Checking a catalogue for an author's mistakes: the system file with the
// project and user files merged into it as the component merges them, and
// the language variant the locale chooses. Each finding names the file whose
// text causes it, the exact line and column (in characters, whatever the
// file's encoding), and what is wrong.

#include <cstdint>
#include <string>
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

// The findings for a system file, sorted by file, line and column. Throws
// pipedex::Error only when memory runs out (0x8007000E), as the two below.
PIPEDEX_API std::vector<Finding> CheckCatalogue(const std::string& systemFile, const CheckOptions& options = {});

// The language variant loading applies for a system file and a locale: beside
// it, SystemPipedex.ll-CC.xml, else SystemPipedex.ll.xml, else
// SystemPipedex.en.xml; "" when none exists or the language is "".
PIPEDEX_API std::string LanguageVariantFile(const std::string& systemFile, const LocaleNames& locale);

// "FILE:LINE:COLUMN: severity: message [code]", the form compilers use.
PIPEDEX_API std::string FormatFinding(const Finding& finding);

}  // namespace pipedex
