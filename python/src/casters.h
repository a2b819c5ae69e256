#pragma once

// Conversions of the module's own argument and result types, each with the
// Python type its signature shows (in docstrings, and in the TypeError of a
// call with wrong arguments).
//
// PathArg: a path argument as Python's file functions take it (str, bytes or
// os.PathLike), converted to its bytes as os.fsencode gives them, so a str
// that os.fsdecode made from undecodable bytes reaches the file system as
// those bytes. A path with a zero byte raises ValueError, as open() does.
// PathResult: a path as os.fsdecode turns its bytes into str.
// Typed<Tag>: a Python object that the signatures name Tag::name.

#include <string>
#include <utility>

#include <pybind11/pybind11.h>

namespace pipedex::python {

namespace py = pybind11;

struct PathArg {
  std::string bytes;
};

struct PathResult {
  std::string bytes;
};

template <typename Tag>
struct Typed : py::object {
  Typed() = default;
  explicit Typed(py::object value) : py::object(std::move(value)) {}
};

// Text as Python str: UTF-8, with any byte that is not UTF-8 written as \xNN
// (error texts may quote paths that are not UTF-8).
inline py::str LenientText(const std::string& text) {
  PyObject* decoded = PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "backslashreplace");
  if (!decoded) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(decoded);
}

}  // namespace pipedex::python

namespace pybind11::detail {

template <>
struct type_caster<pipedex::python::PathArg> {
  PYBIND11_TYPE_CASTER(pipedex::python::PathArg, const_name("str | bytes | os.PathLike"));

  bool load(handle src, bool) {
    PyObject* encoded = nullptr;
    if (!PyUnicode_FSConverter(src.ptr(), &encoded)) {
      // Not a path at all: the call's TypeError names the arguments. A path
      // with a zero byte keeps its ValueError.
      if (PyErr_ExceptionMatches(PyExc_TypeError)) {
        PyErr_Clear();
        return false;
      }
      throw error_already_set();
    }
    const auto owned = reinterpret_steal<bytes>(encoded);
    value.bytes.assign(PyBytes_AS_STRING(encoded), static_cast<std::size_t>(PyBytes_GET_SIZE(encoded)));
    return true;
  }

  static handle cast(const pipedex::python::PathArg& path, return_value_policy, handle) {
    return PyUnicode_DecodeFSDefaultAndSize(path.bytes.data(), static_cast<Py_ssize_t>(path.bytes.size()));
  }
};

template <>
struct type_caster<pipedex::python::PathResult> {
  PYBIND11_TYPE_CASTER(pipedex::python::PathResult, const_name("str"));

  bool load(handle, bool) { return false; }

  static handle cast(const pipedex::python::PathResult& path, return_value_policy, handle) {
    return PyUnicode_DecodeFSDefaultAndSize(path.bytes.data(), static_cast<Py_ssize_t>(path.bytes.size()));
  }
};

template <typename Tag>
struct handle_type_name<pipedex::python::Typed<Tag>> {
  static constexpr auto name = Tag::name;
};

}  // namespace pybind11::detail

// A result type by the name signatures show for it.
#define PIPEDEX_PY_TYPE(Type, Name)                                 \
  namespace pipedex::python {                                      \
  struct Type##Tag {                                               \
    static constexpr auto name = py::detail::const_name(Name);     \
  };                                                               \
  using Type = Typed<Type##Tag>;                                   \
  }
