#pragma once

// The errors the component raises: the source text, the numbers of the
// runtime errors raised inside the component (the numbers clients see are in
// pipedex/error.h), the fixed texts, and raising the errors that carry one.

#include <cstdint>
#include <string>

#include "pipedex/error.h"

namespace pipedex::errors {

inline constexpr const char* kSource = "Pipedex";
// The source of AddSKEY's failures.
inline constexpr const char* kAddSKEYSource = "Pipedex.AddSKEY";
// The source of the failure GetSKEYData raises, and answers by, when an SKEY is unknown.
inline constexpr const char* kGetSKEYDataSource = "GetSKEYData";

// Runtime errors raised inside the component, numbered as the runtime
// errors of the same meaning (the operations that meet them answer by their
// own failure rule).
inline constexpr std::int32_t kInvalidCall = 5;           // "Invalid procedure call or argument"
inline constexpr std::int32_t kSubscriptOutOfRange = 9;   // "Subscript out of range"
inline constexpr std::int32_t kDivisionByZero = 11;       // "Division by zero"
inline constexpr std::int32_t kKeyTaken = 457;            // a collection's key already in use
inline constexpr std::int32_t kSKEYNotFound = 520;        // an SKEY with no A_SKEY element

// The heading of the message when the system file or its language variant does not parse.
inline constexpr const char* kSystemParseHeading = "Error parsing Zenrod XML Data";

// "Object variable or With block variable not set": a node or object that is not there was used.
[[noreturn]] void RaiseObjectNotSet();
// "Type mismatch": a text that had to be a number is not one.
[[noreturn]] void RaiseTypeMismatch();
// "Overflow": a whole number outside the 32-bit range.
[[noreturn]] void RaiseOverflow();
// An XPath expression the XML service rejects.
[[noreturn]] void RaiseInvalidXPath(const std::string& expression, const std::string& reason);
// "Invalid procedure call or argument": a key or position a collection does not hold, an angle that cannot be.
[[noreturn]] void RaiseInvalidCall();

// The description of kOutOfMemory, the error a client gets for a std::bad_alloc.
inline constexpr const char* kOutOfMemoryText = "Out of memory";
// "Out of memory" as the client's error: what a std::bad_alloc becomes where
// an operation hands its failure to the client.
[[noreturn]] void RaiseOutOfMemory();
// Whether an error is kOutOfMemory: handlers that answer a failure with a
// neutral value or their own error let this one through unchanged.
inline bool IsOutOfMemory(const Error& e) { return e.number() == kOutOfMemory; }
// Called inside a catch block whose rule answers a failure (a neutral answer,
// a skipped step, an error of its own): rethrows the failures that are no
// fault of the data, which no failure rule answers: running out of memory (a
// std::bad_alloc, or kOutOfMemory already formed) as kOutOfMemory, and a
// compiled index found damaged (flat::Corrupt: the instance then answers from
// its files); returns for every other failure, which the handler then answers.
void RethrowIfNoAnswer();

}  // namespace pipedex::errors
