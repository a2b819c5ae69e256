// Signatures that inspect.signature reads. pybind11 starts each docstring
// with the typed signature line, "GetSKEYData(self: ..., SKEY: str,
// Description: str = '') -> pipedex.SKEYData", which inspect cannot parse.
// CPython reads a builtin's signature from a first docstring line
// "GetSKEYData(self, SKEY, Description='')" followed by a line "--" and a
// blank line, and shows the rest as __doc__; inspect accepts no annotations
// there. So each method gets that line in front, made from the typed line
// without its annotations, and __doc__ keeps the typed line for help().
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "module.h"

namespace pipedex::python {
namespace {

// The parameters of a signature's parameter list, split at the commas
// outside brackets and quotes.
std::vector<std::string> SplitParameters(const std::string& list) {
  std::vector<std::string> parts;
  std::string part;
  int depth = 0;
  char quote = 0;
  for (char c : list) {
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == '[' || c == '(') {
      ++depth;
    } else if (c == ']' || c == ')') {
      --depth;
    } else if (c == ',' && depth == 0) {
      parts.push_back(part);
      part.clear();
      continue;
    }
    part += c;
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

// "SKEY: str" -> "SKEY", "Description: str = ''" -> "Description=''"; "*" stays.
std::string WithoutAnnotation(std::string parameter) {
  const auto first = parameter.find_first_not_of(' ');
  parameter = first == std::string::npos ? "" : parameter.substr(first);
  const auto colon = parameter.find(':');
  if (colon == std::string::npos) return parameter;
  std::string plain = parameter.substr(0, colon);
  const auto equals = parameter.find(" = ", colon);
  if (equals != std::string::npos) plain.append("=").append(parameter.substr(equals + 3));
  return plain;
}

// The text signature for a docstring that starts with a typed signature line,
// or "" when it does not.
std::string TextSignature(const char* doc) {
  const std::string line(doc, std::strcspn(doc, "\n"));
  const auto open = line.find('(');
  const auto close = line.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open) return "";
  std::string text = line.substr(0, open + 1);
  bool first = true;
  for (const std::string& parameter : SplitParameters(line.substr(open + 1, close - open - 1))) {
    if (!first) text += ", ";
    text += WithoutAnnotation(parameter);
    first = false;
  }
  return text + ")\n--\n\n";
}

}  // namespace

void AddTextSignatures(const py::handle& type) {
  // The class's own dictionary (__dict__ is a read-only proxy of it).
  for (const auto& item : py::reinterpret_borrow<py::dict>(reinterpret_cast<PyTypeObject*>(type.ptr())->tp_dict)) {
    PyObject* value = item.second.ptr();
    if (!PyInstanceMethod_Check(value)) continue;
    PyObject* function = PyInstanceMethod_GET_FUNCTION(value);
    if (!PyCFunction_Check(function)) continue;
    // pybind11 owns the docstring of its functions as a malloc'd copy and frees it with free().
    PyMethodDef* def = reinterpret_cast<PyCFunctionObject*>(function)->m_ml;
    if (!def->ml_doc) continue;
    const std::string signature = TextSignature(def->ml_doc);
    if (signature.empty()) continue;
    const std::string doc = signature + def->ml_doc;
    char* copy = static_cast<char*>(std::malloc(doc.size() + 1));
    if (!copy) throw std::bad_alloc();
    std::memcpy(copy, doc.c_str(), doc.size() + 1);
    std::free(const_cast<char*>(def->ml_doc));
    def->ml_doc = copy;
  }
}

}  // namespace pipedex::python
