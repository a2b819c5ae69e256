// Finding, loading and checking the system file on first use.

#include <gtest/gtest.h>

#include "test_support.h"

namespace pipedex::testing {
namespace {

const std::string kMinimal = Catalogue("<A_CPT><Pipes><Pipe PCFTYPE=\"PIPE\"/></Pipes></A_CPT>");

struct Bare {
  TempDir dir;
  Pipedex pipedex{PlatformIn(dir.path())};
  void Registry(const std::string& text) const { dir.Write("registry.reg", text); }
};

// The file beside the component wins over the Data folder, which wins over the
// registry's DataPath; a failed search raises and the next call searches again.
TEST(Initialisation, SearchesBesideTheComponentThenTheDataFolderThenTheRegistry) {
  Bare both;
  const std::string beside = both.dir.Write("SystemPipedex.xml", kMinimal);
  both.dir.Write("Data/SystemPipedex.xml", kMinimal);
  both.Registry(RegistryWithDataPath(both.dir.Write("other/SystemPipedex.xml", kMinimal)));
  EXPECT_EQ(both.pipedex.SystemXMLPath(), beside);
  EXPECT_EQ(both.pipedex.ProjectXMLPath() + both.pipedex.UserXMLPath(), "");

  Bare b;
  const std::string notFound =
      "-2147220991 Pipedex: Path to Pipedex file not specified in registry and it does not exist in application directory";
  EXPECT_EQ(Raised([&] { b.pipedex.GroupCount(); }), notFound);
  b.Registry("[HKEY_LOCAL_MACHINE\\Software\\Zenrod\\Pipedex\\Settings]\n");  // the key without the value
  EXPECT_EQ(Raised([&] { b.pipedex.GroupCount(); }), notFound);
  b.Registry(RegistryWithDataPath(""));  // an empty value is no value
  EXPECT_EQ(Raised([&] { b.pipedex.GroupCount(); }), notFound);
  b.Registry(RegistryWithDataPath("/no/such/SystemPipedex.xml"));
  EXPECT_EQ(Raised([&] { b.pipedex.SystemXMLPath(); }), "-2147220990 Pipedex: Data file specified in registry "
            "( /no/such/SystemPipedex.xml )not found . Reinstall the Zenrod Pipedex component");
  TempDir elsewhere;
  const std::string file = elsewhere.Write("catalogue/SystemPipedex.xml", kMinimal);
  b.Registry(RegistryWithDataPath(file));
  EXPECT_EQ(b.pipedex.SystemXMLPath(), file);
  b.Registry(RegistryWithDataPath("/no/such/SystemPipedex.xml"));  // a loaded instance does not search again
  EXPECT_EQ(b.pipedex.GroupCount(), 1);
  EXPECT_EQ(b.pipedex.SystemXMLPath(), file);

  Bare data;
  EXPECT_EQ(Raised([&] { data.pipedex.GroupCount(); }), notFound);
  const std::string inData = data.dir.Write("Data/SystemPipedex.xml", kMinimal);
  data.Registry(RegistryWithDataPath(file));
  EXPECT_EQ(data.pipedex.GroupCount(), 1);
  EXPECT_EQ(data.pipedex.SystemXMLPath(), inData);
}

TEST(Initialisation, SyntaxErrorRaisesTheParseFrameEveryTime) {
  Bare b;
  b.dir.Write("SystemPipedex.xml", "<?xml version=\"1.0\"?>\n<ZENROD-ISOMETRICS-DATA>\n  <A_CPT>\n</ZENROD-ISOMETRICS-DATA>\n");
  for (int attempt = 0; attempt < 2; ++attempt) {
    EXPECT_THAT(Raised([&] { b.pipedex.SystemXMLPath(); }),
                AllOf(StartsWith("-2147220989 Pipedex: Error parsing Zenrod XML Data\r\n"),
                      HasSubstr("\r\nLine   : 4\r\nSource : </ZENROD-ISOMETRICS-DATA>")));
  }
}

TEST(Initialisation, OtherRootElementFailsAndLeavesTheInstanceUninitialised) {
  Bare b;
  b.dir.Write("SystemPipedex.xml", "<CATALOGUE/>");
  EXPECT_THAT(Raised([&] { b.pipedex.GroupCount(); }), StartsWith("-2147220987 Pipedex: Unexpected initialisation error : "));
  b.dir.Write("SystemPipedex.xml", kMinimal);  // the next call starts again from the search
  EXPECT_EQ(b.pipedex.GroupCount(), 1);
}

}  // namespace
}  // namespace pipedex::testing
