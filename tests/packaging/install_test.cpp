// `cmake --install` of this build: what lands where under the prefix, and
// that the installed tool finds the installed sample catalogue through the
// installed registry file, exactly as the installed library searches.

#include <gtest/gtest.h>

#include <filesystem>

#include "docs/docs_support.h"
#include "test_support.h"

namespace pipedex::testing::docs {
namespace {

namespace fs = std::filesystem;

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

TEST(Install, PutsTheWholePackageUnderThePrefix) {
  TempDir dir;
  const std::string prefix = dir.path();
  ShellResult install = Shell(Quote(PIPEDEX_CMAKE_COMMAND) + " --install " + Quote(PIPEDEX_BINARY_DIR) +
                              " --prefix " + Quote(prefix) + " 2>&1");
  ASSERT_EQ(install.status, 0) << install.output;

  for (const char* file : {"bin/pipedex", "lib/libpipedex.so", "include/pipedex/pipedex.h", "include/pipedex/error.h",
                           "include/pipedex/enums.h", "include/pipedex/platform.h", "include/pipedex/default_elbow.h",
                           "lib/cmake/Pipedex/PipedexConfig.cmake", "lib/cmake/Pipedex/PipedexConfigVersion.cmake",
                           "lib/cmake/Pipedex/PipedexTargets.cmake", "lib/pkgconfig/pipedex.pc",
                           "share/pipedex/SystemPipedex.xml", "share/pipedex/SystemPipedex.de.xml",
                           "share/pipedex/examples/ProjectPipedex.xml", "share/doc/pipedex/README.md",
                           "share/doc/pipedex/catalogue-format.md"})
    EXPECT_TRUE(fs::exists(prefix + "/" + file)) << file;
  // The versioned library: libpipedex.so -> libpipedex.so.0 -> libpipedex.so.VERSION, SONAME libpipedex.so.0.
  EXPECT_EQ(fs::read_symlink(prefix + "/lib/libpipedex.so").string(), "libpipedex.so.0");
  EXPECT_EQ(fs::read_symlink(prefix + "/lib/libpipedex.so.0").string(), std::string("libpipedex.so.") + PIPEDEX_VERSION);
  EXPECT_NE(Shell("readelf -d " + Quote(prefix + "/lib/libpipedex.so")).output.find("[libpipedex.so.0]"),
            std::string::npos);
  // The project overlay example is not beside the catalogue, where it would be merged.
  EXPECT_FALSE(fs::exists(prefix + "/share/pipedex/ProjectPipedex.xml"));

  // The registry file is the guide's example with the prefix in place of /opt/pipedex.
  const std::string registry = prefix + "/share/pipedex/registry.reg";
  EXPECT_EQ(ReadFile(registry), Replace(ReadSource("docs/examples/registry.reg"), "/opt/pipedex", prefix));

  // Nothing beside the installed library: the registry file names the catalogue.
  const std::string tool = Quote(prefix + "/bin/pipedex");
  ShellResult found = Shell("PIPEDEX_REGISTRY=" + Quote(registry) + " " + tool + " call SystemXMLPath");
  EXPECT_EQ(found.output, "{\"result\":\"" + prefix + "/share/pipedex/SystemPipedex.xml\"}\n");
  ShellResult missing = Shell(tool + " call SystemXMLPath");
  EXPECT_EQ(missing.status, 1);

  if (Shell("command -v pkg-config").status != 0) return;
  const std::string pkgConfig = "PKG_CONFIG_PATH=" + Quote(prefix + "/lib/pkgconfig") + " pkg-config ";
  EXPECT_EQ(Shell(pkgConfig + "--modversion pipedex").output, std::string(PIPEDEX_VERSION) + "\n");
  // The .pc file works out the prefix from where it lies.
  std::string datadir = Shell(pkgConfig + "--variable=datadir pipedex").output;
  EXPECT_EQ(fs::canonical(Replace(datadir, "\n", "")), fs::canonical(prefix + "/share/pipedex"));
}

}  // namespace
}  // namespace pipedex::testing::docs
