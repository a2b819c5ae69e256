// The extension module pipedex._pipedex: the class Pipedex with every
// operation of the component, its enumerations, its result tuples and the
// exception pipedex.Error. The package pipedex (pipedex/__init__.py) adds the
// list helpers and is what users import.
#include <filesystem>
#include <optional>
#include <string>

#include "module.h"
#include "pipedex/platform.h"

#include <pybind11/eval.h>

namespace pipedex::python {
namespace {

// pipedex.Error: a subclass of Exception whose str() is the description.
void AddError(py::module_& m) {
  py::dict scope;
  scope["__builtins__"] = py::module_::import("builtins");
  scope["__name__"] = "pipedex";
  py::exec(R"(
class Error(Exception):
    """A failed call of the component.

    number is the error number as a signed 32-bit value (as the C++ API and
    the batch protocol give it: 0x80040201 is -2147221503), source the source
    text ("Pipedex", "Pipedex.AddSKEY") and description the message, which
    is also str() of the error.
    """

    def __init__(self, number, source, description):
        super().__init__(number, source, description)
        self.number = number
        self.source = source
        self.description = description

    def __str__(self):
        return self.description
)",
           scope);
  m.attr("Error") = scope["Error"];
  py::register_exception_translator([](std::exception_ptr thrown) {
    try {
      if (thrown) std::rethrow_exception(thrown);
    } catch (const Error& e) {
      py::object type = py::module_::import("pipedex._pipedex").attr("Error");
      py::object error = type(e.number(), e.source(), e.description());
      PyErr_SetObject(type.ptr(), error.ptr());
    }
  });
}

std::shared_ptr<Platform> MakePlatform(const py::object& componentDir, const py::object& registry,
                                       const py::object& locale, const py::object& catalogue) {
  SystemPlatformOptions options;
  if (!componentDir.is_none()) options.componentFolder = PathText(componentDir);
  if (!registry.is_none()) options.registryFile = PathText(registry);
  if (!locale.is_none()) options.locale = locale.cast<std::string>();
  if (!catalogue.is_none()) {
    // Any file name: the project file and language variants are looked for beside it.
    if (!componentDir.is_none()) throw py::value_error("give catalogue or component_dir, not both");
    std::filesystem::path file(PathText(catalogue));
    if (!std::filesystem::is_regular_file(file)) {
      PyErr_SetString(PyExc_FileNotFoundError, ("no catalogue file " + file.string()).c_str());
      throw py::error_already_set();
    }
    return MakeCatalogueFilePlatform(file.string(), std::move(options));
  }
  return MakeSystemPlatform(std::move(options));
}

}  // namespace
}  // namespace pipedex::python

PYBIND11_MODULE(_pipedex, m) {
  using namespace pipedex;
  using namespace pipedex::python;
  m.doc() = "The compiled part of the pipedex package; import pipedex instead.";
  AddError(m);
  EnumTypes enums = AddEnums(m);

  py::class_<Instance> c(m, "Pipedex", R"(A piping material catalogue, answered in-process.

Construction loads nothing: the first call that needs data finds
SystemPipedex.xml (beside libpipedex.so, in its Data folder, or through the
registry file's DataPath), merges a ProjectPipedex.xml lying beside it, applies
the language variant of the locale and builds the index lists.

Keyword arguments (all optional):
  component_dir  folder taken as the component's own (DIR/SystemPipedex.xml
                 or DIR/Data/SystemPipedex.xml)
  registry       registry file to read DataPath from (instead of
                 $PIPEDEX_REGISTRY, else /etc/pipedex/registry.reg)
  locale         locale as ll_CC choosing the language variant (instead of
                 LC_ALL, LC_MESSAGES, LANG)
  catalogue      a catalogue file of any name, used as the system file; the
                 ProjectPipedex.xml and language variants beside it apply

Failures raise pipedex.Error. Separate instances share nothing and may be
used from separate threads; an instance shared by threads serves one call at
a time.)");
  c.def(py::init([](const py::object& component_dir, const py::object& registry, const py::object& locale,
                    const py::object& catalogue) {
          return std::make_unique<Instance>(MakePlatform(component_dir, registry, locale, catalogue));
        }),
        py::kw_only(), py::arg("component_dir") = py::none(), py::arg("registry") = py::none(),
        py::arg("locale") = py::none(), py::arg("catalogue") = py::none());

  c.def_property(
      "AngleTolerance",
      [](Instance& self) { return Run(self, Kind::NoData, [](Pipedex& p) { return p.AngleTolerance(); }); },
      [](Instance& self, double value) {
        Run(self, Kind::NoData, [value](Pipedex& p) { p.AngleTolerance(value); });
      },
      "How close two angles count as equal, in degrees (default 1.0).");

  BindCatalogue(m, c, enums);
  BindRules(m, c, enums);
}
