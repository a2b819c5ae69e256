#include "base/errors.h"

#include <new>

#include "base/flat_document.h"

namespace pipedex {

Error::Error(std::int32_t number, std::string source, std::string description)
    : number_(number), source_(std::move(source)), description_(std::move(description)) {}

namespace errors {

void RaiseObjectNotSet() { throw Error(kObjectNotSet, kSource, "Object variable or With block variable not set"); }

void RaiseTypeMismatch() { throw Error(kTypeMismatch, kSource, "Type mismatch"); }

void RaiseOverflow() { throw Error(kOverflow, kSource, "Overflow"); }

void RaiseInvalidXPath(const std::string& expression, const std::string& reason) {
  throw Error(kXmlService, kSource, reason + "\r\n" + expression);
}

void RaiseInvalidCall() { throw Error(kInvalidCall, kSource, "Invalid procedure call or argument"); }

void RaiseOutOfMemory() { throw Error(kOutOfMemory, kSource, kOutOfMemoryText); }

void RethrowIfNoAnswer() {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    RaiseOutOfMemory();
  } catch (const Error& e) {
    if (IsOutOfMemory(e)) throw;
  } catch (const flat::Corrupt&) {
    throw;
  } catch (...) {
    // Any other failure is the caller's to answer.
  }
}

}  // namespace errors
}  // namespace pipedex
