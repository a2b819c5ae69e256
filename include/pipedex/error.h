#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "pipedex/export.h"

namespace pipedex {

// Error numbers the component reports to its clients.
namespace errors {
inline constexpr std::int32_t kNoDataPath = static_cast<std::int32_t>(0x80040201);        // no system file found
inline constexpr std::int32_t kDataFileNotFound = static_cast<std::int32_t>(0x80040202);  // registry names a missing file
inline constexpr std::int32_t kParseError = static_cast<std::int32_t>(0x80040203);        // system file does not parse
inline constexpr std::int32_t kUserXmlError = static_cast<std::int32_t>(0x80040204);      // automatic project file not merged
inline constexpr std::int32_t kInitialisation = static_cast<std::int32_t>(0x80040205);    // any other initialisation failure, a language variant that does not parse among them
inline constexpr std::int32_t kBuildLists = static_cast<std::int32_t>(0x80040206);        // list build failed (reported inside kInitialisation)
inline constexpr std::int32_t kAddSKEY = static_cast<std::int32_t>(0x8004020A);           // AddSKEY failed
inline constexpr std::int32_t kProjectNotFound = static_cast<std::int32_t>(0x80040212);   // project file does not exist
inline constexpr std::int32_t kProjectParse = static_cast<std::int32_t>(0x80040213);      // project file does not parse
// Runtime errors that some operations let through, with the numbers clients know them by.
inline constexpr std::int32_t kOverflow = 6;
inline constexpr std::int32_t kTypeMismatch = 13;
inline constexpr std::int32_t kObjectNotSet = 91;
// Failures of the XML service (an invalid XPath expression, a failing save).
inline constexpr std::int32_t kXmlService = static_cast<std::int32_t>(0x80004005);
// Memory ran out: no answer could be formed, whatever the operation (not a
// fault of any file; the same call may succeed with more memory).
inline constexpr std::int32_t kOutOfMemory = static_cast<std::int32_t>(0x8007000E);
}  // namespace errors

// A failed call: the error number, the source text and the description.
class PIPEDEX_API Error : public std::exception {
 public:
  Error(std::int32_t number, std::string source, std::string description);

  std::int32_t number() const noexcept { return number_; }
  const std::string& source() const noexcept { return source_; }
  const std::string& description() const noexcept { return description_; }
  const char* what() const noexcept override { return description_.c_str(); }

 private:
  std::int32_t number_;
  std::string source_;
  std::string description_;
};

}  // namespace pipedex
