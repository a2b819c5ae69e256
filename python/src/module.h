#pragma once

// The pieces the extension module is put together from.

#include <optional>
#include <string>

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "casters.h"
#include "instance.h"

// The result types as the signatures name them.
PIPEDEX_PY_TYPE(OperationsMember, "pipedex.Operations")
PIPEDEX_PY_TYPE(FlagsMember, "pipedex.Flags")
PIPEDEX_PY_TYPE(AttCheckMember, "pipedex.AttCheck")
PIPEDEX_PY_TYPE(ComponentTypeDataResult, "pipedex.ComponentTypeData")
PIPEDEX_PY_TYPE(SKEYDataResult, "pipedex.SKEYData")
PIPEDEX_PY_TYPE(ComponentTypeByAngleResult, "pipedex.ComponentTypeByAngle")
PIPEDEX_PY_TYPE(AngleComponentDataResult, "pipedex.AngleComponentData")
PIPEDEX_PY_TYPE(AngleComponentData2Result, "pipedex.AngleComponentData2")
PIPEDEX_PY_TYPE(ValidDataResult, "pipedex.ValidData")
PIPEDEX_PY_TYPE(DefaultElbowList, "list[pipedex.DefaultElbow]")

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
// Gives every method of a class a signature that inspect.signature reads
// (its parameter names and defaults), made from the typed signature line that
// starts its docstring.
void AddTextSignatures(const py::handle& type);

// The operations, by area.
void BindCatalogue(py::module_& m, py::class_<Instance>& c, const EnumTypes& enums);
void BindRules(py::module_& m, py::class_<Instance>& c, const EnumTypes& enums);

}  // namespace pipedex::python
