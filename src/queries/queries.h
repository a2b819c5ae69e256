#pragma once

// What the queries share with the rules, which build on them: the reading of
// an end preparation code.

#include <string>

#include "base/text.h"

namespace pipedex::queries {

// The two-character end type of an end preparation code ("BW" of "BW--"), upper-cased and without blanks.
inline std::string EndType(const std::string& code) { return text::UpperTrim(text::Left(code, 2)); }

}  // namespace pipedex::queries
