# Finds what the Python module needs: a Python 3 interpreter with its
# development files, and pybind11. Sets PIPEDEX_PYTHON_AVAILABLE.
#
# The module must be built for the interpreter that imports it. The Debian
# packages it is built with (python3-dev, pybind11-dev, python3-pytest) belong
# to /usr/bin/python3, so that interpreter is preferred over whichever
# python3 comes first on PATH; -DPython3_EXECUTABLE=... chooses another.
if(NOT DEFINED Python3_EXECUTABLE AND EXISTS /usr/bin/python3)
  set(Python3_EXECUTABLE /usr/bin/python3 CACHE FILEPATH "Python interpreter the module is built for")
endif()
find_package(Python3 COMPONENTS Interpreter Development.Module QUIET)
if(Python3_FOUND)
  find_package(pybind11 CONFIG QUIET)
endif()
if(Python3_FOUND AND pybind11_FOUND)
  set(PIPEDEX_PYTHON_AVAILABLE ON)
else()
  set(PIPEDEX_PYTHON_AVAILABLE OFF)
endif()
