// `cmake --install` of this build: what lands where under the prefix, the
// links of the installed guides, the installed registry file, the Python
// package and the .pc file (tools/check-install.sh runs the installed programs).

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <vector>

#include "docs/docs_support.h"
#include "test_support.h"

namespace pipedex::testing::docs {
namespace {

namespace fs = std::filesystem;

TEST(Install, PutsTheWholePackageUnderThePrefix) {
  if (!PIPEDEX_INSTALL_RULES) GTEST_SKIP() << "configured without install rules";
  TempDir dir;
  const std::string prefix = dir.path();
  const std::string lib = prefix + "/" PIPEDEX_INSTALL_LIBDIR;
  ShellResult install = Shell(Quote(PIPEDEX_CMAKE_COMMAND) + " --install " + Quote(PIPEDEX_BINARY_DIR) +
                              " --prefix " + Quote(prefix) + " 2>&1");
  ASSERT_EQ(install.status, 0) << install.output;

  std::vector<std::string> files = {
      "bin/pipedex", "include/pipedex/pipedex.h", "include/pipedex/error.h", "include/pipedex/export.h",
      "include/pipedex/enums.h", "include/pipedex/platform.h",
      "share/pipedex/SystemPipedex.xml", "share/pipedex/SystemPipedex.de.xml", "share/pipedex/examples/ProjectPipedex.xml",
      "share/doc/pipedex/README.md", "share/doc/pipedex/docs/catalogue-format.md",
      "share/doc/pipedex/examples/consumer/main.cpp", "share/bash-completion/completions/pipedex"};
  for (const char* file : {"libpipedex.so", "cmake/Pipedex/PipedexConfig.cmake", "cmake/Pipedex/PipedexTargets.cmake",
                           "cmake/Pipedex/PipedexConfigVersion.cmake", "pkgconfig/pipedex.pc"})
    files.push_back(PIPEDEX_INSTALL_LIBDIR "/" + std::string(file));
  if (PIPEDEX_MAN_PAGE_BUILT) files.push_back("share/man/man1/pipedex.1");
  for (const auto& file : files) EXPECT_TRUE(fs::exists(prefix + "/" + file)) << file;
  // The versioned library: libpipedex.so -> libpipedex.so.0 -> libpipedex.so.VERSION.
  EXPECT_EQ(fs::read_symlink(lib + "/libpipedex.so").string(), "libpipedex.so.0");
  EXPECT_EQ(fs::read_symlink(lib + "/libpipedex.so.0").string(), std::string("libpipedex.so.") + PIPEDEX_VERSION);
  // A RUNPATH only when the library does not go to a folder the dynamic linker searches anyway.
  EXPECT_EQ(Shell("readelf -d " + Quote(prefix + "/bin/pipedex")).output.find("$ORIGIN/") != std::string::npos,
            PIPEDEX_TOOL_RUNPATH);

  // Every relative link of the installed README and guides leads to an installed file.
  const std::string docs = prefix + "/share/doc/pipedex";
  static const std::regex link(R"(\]\(([^)#: ]+))");
  for (const char* page : {"README.md", "docs/api.md", "docs/cli.md", "docs/catalogue-format.md"}) {
    const std::string text = ReadFile(docs + "/" + page);
    for (std::sregex_iterator m(text.begin(), text.end(), link), end; m != end; ++m)
      EXPECT_TRUE(fs::exists(fs::path(docs + "/" + page).parent_path() / (*m)[1].str())) << page << ": " << (*m)[1];
  }
  // The project overlay example is not beside the catalogue, where it would be merged.
  EXPECT_FALSE(fs::exists(prefix + "/share/pipedex/ProjectPipedex.xml"));

  // The registry file is the guide's example with the prefix in place of /opt/pipedex.
  const std::string registry = prefix + "/share/pipedex/registry.reg";
  EXPECT_EQ(ReadFile(registry), Replaced(ReadSource("docs/examples/registry.reg"), "/opt/pipedex", prefix));

#ifdef PIPEDEX_PYTHON_EXECUTABLE  // the Python package imports from the prefix and finds the catalogue there
  const std::string python = std::string("PYTHONPATH=").append(Quote(prefix + "/" PIPEDEX_PYTHON_INSTALL_DIR))
      .append(" PIPEDEX_REGISTRY=").append(Quote(registry)).append(" '" PIPEDEX_PYTHON_EXECUTABLE "' -c ")
      .append(Quote("import pipedex; print(pipedex.__file__); print(pipedex.Pipedex().GetSKEYData('ELBW').Description)"));
  EXPECT_EQ(Shell(python).output, prefix + "/lib/python3/dist-packages/pipedex/__init__.py\nElbow, butt-welded\n");
#endif
  if (Shell("command -v pkg-config").status != 0) return;
  const std::string pkgConfig = "PKG_CONFIG_PATH=" + Quote(lib + "/pkgconfig") + " pkg-config ";
  EXPECT_EQ(Shell(pkgConfig + "--modversion pipedex").output, std::string(PIPEDEX_VERSION) + "\n");
  // The .pc file works out the prefix from where it lies.
  std::string datadir = Shell(pkgConfig + "--variable=datadir pipedex").output;
  EXPECT_EQ(fs::canonical(Replaced(datadir, "\n", "")), fs::canonical(prefix + "/share/pipedex"));
}

}  // namespace
}  // namespace pipedex::testing::docs
