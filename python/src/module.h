#pragma once

// The pieces the extension module is put together from.

#include <optional>
#include <string>

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "instance.h"

namespace pipedex::python {

// The enumerations of <pipedex/enums.h> as enum.IntEnum classes of the module.
struct EnumTypes {
  py::object Operations, Flags, AttCheck, ValidDataMaster, ValidDataReturn;
};
EnumTypes AddEnums(py::module_& m);
// The member of an IntEnum class for a value (a plain int for a value it lacks).
py::object EnumMember(const py::object& type, int value);

// A named tuple class of the module (collections.namedtuple) for the result of
// an operation with in-out parameters.
py::object AddResultType(py::module_& m, const char* name, const char* fields, const char* doc);
// An instance of a named tuple class, built without running Python code.
py::object MakeResult(const py::object& type, const py::tuple& values);
// A node as its XML text without indentation, or nothing (None) for no node.
// Read while the instance is held: the node lives in its document.
std::optional<std::string> NodeXml(pugi::xml_node node);
// A path given as str or os.PathLike, as UTF-8 text.
std::string PathText(const py::object& path);

// The operations, by area.
void BindCatalogue(py::module_& m, py::class_<Instance>& c, const EnumTypes& enums);
void BindRules(py::module_& m, py::class_<Instance>& c, const EnumTypes& enums);

}  // namespace pipedex::python
