// The enumerations of the component as enum.IntEnum classes: they compare
// and convert as the integers the C++ API uses, and print by name.
#include <utility>
#include <vector>

#include "module.h"

namespace pipedex::python {
namespace {

using Members = std::vector<std::pair<const char*, int>>;

py::object AddEnum(py::module_& m, const char* name, const Members& members, const char* doc) {
  py::list items;
  for (const auto& [member, value] : members) items.append(py::make_tuple(member, value));
  py::object type = py::module_::import("enum").attr("IntEnum")(name, items, py::arg("module") = "pipedex");
  type.attr("__doc__") = doc;
  m.attr(name) = type;
  return type;
}

}  // namespace

EnumTypes AddEnums(py::module_& m) {
  EnumTypes e;
  e.Operations = AddEnum(m, "Operations",
                         {{"opUnknown", opUnknown}, {"opFormBranch", opFormBranch}, {"opFormtap", opFormtap},
                          {"opBranch", opBranch}, {"opTap", opTap}, {"opBendPipe", opBendPipe},
                          {"opCurvePipe", opCurvePipe}, {"opTrim", opTrim}, {"opPlaceOn", opPlaceOn},
                          {"opPlaceIn", opPlaceIn}, {"opShorten", opShorten}},
                         "Operations a component type may support.");
  e.Flags = AddEnum(m, "Flags",
                    {{"flUnknown", flUnknown}, {"flVariable", flVariable}, {"flArtificial", flArtificial},
                     {"flIndeterminate", flIndeterminate}},
                    "Flags a component type may carry.");
  e.AttCheck = AddEnum(m, "AttCheck",
                       {{"attIsValid", attIsValid}, {"attIsSuppressed", attIsSuppressed},
                        {"attIsNotRecognised", attIsNotRecognised}, {"attDisplayNameIsValid", attDisplayNameIsValid}},
                       "Answer of PCFAttributeCheck.");
  e.ValidDataMaster = AddEnum(m, "ValidDataMaster", {{"vdM_PCFTYPE", vdM_PCFTYPE}, {"vdM_SKEY", vdM_SKEY}},
                              "Which value of a PCF type / SKEY pair GetValidData keeps fixed.");
  e.ValidDataReturn = AddEnum(m, "ValidDataReturn",
                              {{"vdR_OK", vdR_OK}, {"vdR_FAIL", vdR_FAIL}, {"vdR_MODIFIED", vdR_MODIFIED}},
                              "Answer of GetValidData.");
  return e;
}

py::object EnumMember(const py::object& type, int value) {
  py::dict members = type.attr("_value2member_map_");
  py::int_ key(value);
  if (PyObject* member = PyDict_GetItem(members.ptr(), key.ptr())) return py::reinterpret_borrow<py::object>(member);
  return key;
}

}  // namespace pipedex::python
