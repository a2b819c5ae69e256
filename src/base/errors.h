#pragma once

// Raising the errors the component reports, with their fixed texts.

#include <string>

#include "pipedex/error.h"

namespace pipedex {

inline constexpr const char* kSource = "Pipedex";

namespace detail {

// "Object variable or With block variable not set": a node or object that is not there was used.
[[noreturn]] void RaiseObjectNotSet();
// "Type mismatch": a text that had to be a number is not one.
[[noreturn]] void RaiseTypeMismatch();
// "Overflow": a whole number outside the 32-bit range.
[[noreturn]] void RaiseOverflow();
// An XPath expression the XML service rejects.
[[noreturn]] void RaiseInvalidXPath(const std::string& expression, const std::string& reason);

}  // namespace detail

}  // namespace pipedex
