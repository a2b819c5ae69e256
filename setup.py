"""The pip route to the Python package (pyproject.toml holds its metadata).

The extension is built by CMake from this source tree: the library and the
extension only, in release mode. The package folder then receives the
extension, libpipedex.so.0 beside it (the extension loads it from its own
folder) and the sample catalogue in Data/, where the library looks first, so
an installed package answers with no configuration. The version is the
project's, read from CMakeLists.txt.
"""
import os
import pathlib
import re
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

SOURCE = pathlib.Path(__file__).resolve().parent


def project_version():
    match = re.search(r"project\(Pipedex VERSION ([0-9.]+)", (SOURCE / "CMakeLists.txt").read_text())
    return match.group(1)


(SOURCE / "build-pip").mkdir(exist_ok=True)


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        package = pathlib.Path(self.get_ext_fullpath(ext.name)).resolve().parent
        build = pathlib.Path(self.build_temp).resolve() / "cmake"
        subprocess.run(["cmake", "-S", str(SOURCE), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
                        "-DPIPEDEX_CLI=OFF", "-DPIPEDEX_TESTS=OFF", "-DPIPEDEX_INSTALL=OFF", "-DPIPEDEX_PYTHON=ON",
                        "-DPIPEDEX_PYTHON_WHEEL=ON", f"-DPython3_EXECUTABLE={sys.executable}"], check=True)
        subprocess.run(["cmake", "--build", str(build), "--target", "pipedex_python", "-j",
                        os.environ.get("JOBS", str(os.cpu_count() or 1))], check=True)
        package.mkdir(parents=True, exist_ok=True)
        built = build / "python" / "pipedex"
        for extension in built.glob("_pipedex*.so"):
            shutil.copy2(extension, package / extension.name)
        shutil.copy2(build / "lib" / "libpipedex.so.0", package / "libpipedex.so.0")
        shutil.copytree(SOURCE / "data", package / "Data", dirs_exist_ok=True)


setup(version=project_version(),
      ext_modules=[Extension("pipedex._pipedex", sources=[])],
      cmdclass={"build_ext": CMakeBuild},
      # Out of the way of the CMake build folders (build/ is the development build).
      options={"build": {"build_base": "build-pip"}, "egg_info": {"egg_base": "build-pip"}})
