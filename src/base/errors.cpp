#include "base/errors.h"

namespace pipedex {

Error::Error(std::int32_t number, std::string source, std::string description)
    : number_(number), source_(std::move(source)), description_(std::move(description)) {}

namespace detail {

void RaiseObjectNotSet() {
  throw Error(errors::kObjectNotSet, kSource, "Object variable or With block variable not set");
}

void RaiseTypeMismatch() { throw Error(errors::kTypeMismatch, kSource, "Type mismatch"); }

void RaiseOverflow() { throw Error(errors::kOverflow, kSource, "Overflow"); }

void RaiseInvalidXPath(const std::string& expression, const std::string& reason) {
  throw Error(errors::kXmlService, kSource, reason + "\r\n" + expression);
}

}  // namespace detail

}  // namespace pipedex
