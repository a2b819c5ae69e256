// The extension module pipedex._pipedex: the class Pipedex with every
// operation of the component, its enumerations, its result tuples and the
// exception pipedex.Error. The package pipedex (pipedex/__init__.py) adds the
// list helpers and is what users import.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
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
    the batch protocol give it: 0x80040201 is -2147220991), source the source
    text ("Pipedex", "Pipedex.AddSKEY", "pipedex-python" for the module's
    own errors) and description the message, which is also str() of the
    error. Bytes of a description that are not UTF-8 (a path's) read \\xNN.
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
      py::object error = type(e.number(), LenientText(e.source()), LenientText(e.description()));
      PyErr_SetObject(type.ptr(), error.ptr());
    }
  });
}

// The catalogue file a caller named, made absolute (so the project file and
// the language variants are looked for beside it whatever the current folder
// becomes). A missing file raises FileNotFoundError, as open() does; one that
// cannot be a catalogue (a loop of links, a folder) pipedex.Error with the
// number of a missing system file.
std::string CatalogueFile(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    const int error = errno;
    if (error == ENOENT) {
      py::object name = py::cast(PathArg{path});
      errno = error;
      PyErr_SetFromErrnoWithFilenameObject(PyExc_OSError, name.ptr());
      throw py::error_already_set();
    }
    std::string description = "the catalogue file ";
    description.append(path).append(" cannot be read: ").append(std::strerror(error));
    throw Error(errors::kDataFileNotFound, kModuleSource, description);
  }
  if (!S_ISREG(st.st_mode)) {
    std::string description = "the catalogue file ";
    description.append(path).append(" is not a file");
    throw Error(errors::kDataFileNotFound, kModuleSource, description);
  }
  if (path.front() == '/') return path;
  char* folder = ::getcwd(nullptr, 0);
  if (!folder) {
    PyErr_SetFromErrno(PyExc_OSError);
    throw py::error_already_set();
  }
  std::string absolute = folder;
  std::free(folder);
  return absolute.append("/").append(path);
}

std::unique_ptr<Instance> MakeInstance(const std::optional<PathArg>& componentDir, const std::optional<PathArg>& registry,
                                       const std::optional<std::string>& locale,
                                       const std::optional<PathArg>& catalogue) {
  SystemPlatformOptions options;
  if (componentDir) options.componentFolder = componentDir->bytes;
  if (registry) options.registryFile = registry->bytes;
  if (locale) options.locale = *locale;
  if (!catalogue) return std::make_unique<Instance>(MakeSystemPlatform(std::move(options)), "");
  // Any file name: the project file and language variants are looked for beside it.
  if (componentDir) throw py::value_error("give catalogue or component_dir, not both");
  std::string file = CatalogueFile(catalogue->bytes);
  return std::make_unique<Instance>(MakeCatalogueFilePlatform(file, std::move(options)), file);
}

// "<pipedex.Pipedex catalogue='/data/SystemPipedex.xml' loaded>": the
// catalogue file once loaded or when named, and the state. Loads nothing.
std::string Repr(const py::object& object) {
  Instance& self = object.cast<Instance&>();
  const py::handle type = py::type::handle_of(object);
  std::string text = "<";
  text.append(py::str(type.attr("__module__")).cast<std::string>())
      .append(".")
      .append(py::str(type.attr("__qualname__")).cast<std::string>());
  std::optional<std::string> file;
  bool closed = false;
  {
    Hold hold(self.inUse);
    closed = !self.catalogue;
    if (!closed && self.loaded.load(std::memory_order_acquire)) file = self.catalogue->SystemXMLPath();
  }
  if (closed) return text.append(" closed>");
  if (!file && !self.catalogueFile.empty()) file = self.catalogueFile;
  if (file) text.append(" catalogue=").append(py::repr(py::cast(PathArg{*file})).cast<std::string>());
  return text.append(self.loaded.load(std::memory_order_acquire) ? " loaded>" : " not loaded>");
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
  c.def(py::init(&MakeInstance), py::kw_only(), py::arg("component_dir") = py::none(),
        py::arg("registry") = py::none(), py::arg("locale") = py::none(), py::arg("catalogue") = py::none());
  c.def(
      "close",
      [](Instance& self) {
        // Waits for a call that another thread has under way, then frees the catalogue.
        py::gil_scoped_release nogil;
        std::lock_guard<std::mutex> lock(self.inUse);
        self.catalogue.reset();
      },
      "Releases the catalogue; every later call raises pipedex.Error. Closing twice does nothing.");
  c.def_property_readonly(
      "closed",
      [](Instance& self) {
        Hold hold(self.inUse);
        return !self.catalogue;
      },
      "Whether close() was called.");
  c.def("__repr__", &Repr);

  // The library stores any tolerance; a NaN or an infinite one would make every
  // angle non-standard or standard without a word, so Python refuses them.
  py::cpp_function setTolerance(
      [](Instance& self, double value) {
        if (!std::isfinite(value))
          throw py::value_error("AngleTolerance must be a finite number of degrees, not " +
                                py::repr(py::float_(value)).cast<std::string>());
        Run(self, Kind::NoData, [value](Pipedex& p) { p.AngleTolerance(value); });
      },
      py::name("AngleTolerance"), py::is_method(c), py::arg("value"));
  c.def_property(
      "AngleTolerance",
      [](Instance& self) { return Run(self, Kind::NoData, [](Pipedex& p) { return p.AngleTolerance(); }); },
      setTolerance, "How close two angles count as equal, in degrees (default 1.0; finite).");

  BindCatalogue(m, c, enums);
  BindRules(m, c, enums);
  AddTextSignatures(c);
  m.attr("__version__") = PIPEDEX_VERSION;
}
