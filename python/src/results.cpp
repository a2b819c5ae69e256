// Results of operations with in-out parameters, and nodes.
#include <sstream>

#include "module.h"

namespace pipedex::python {

py::object AddResultType(py::module_& m, const char* name, const char* fields, const char* doc) {
  py::object type =
      py::module_::import("collections").attr("namedtuple")(name, fields, py::arg("module") = "pipedex");
  type.attr("__doc__") = doc;
  m.attr(name) = type;
  return type;
}

py::object MakeResult(const py::object& type, const py::tuple& values) {
  // tuple.__new__(type, values): what the named tuple's own __new__ does,
  // without the Python frame.
  py::tuple args = py::make_tuple(values);
  PyObject* result = PyTuple_Type.tp_new(reinterpret_cast<PyTypeObject*>(type.ptr()), args.ptr(), nullptr);
  if (!result) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(result);
}

std::optional<std::string> NodeXml(pugi::xml_node node) {
  if (!node) return std::nullopt;
  std::ostringstream out;
  node.print(out, "", pugi::format_raw, pugi::encoding_utf8);
  return out.str();
}

}  // namespace pipedex::python
