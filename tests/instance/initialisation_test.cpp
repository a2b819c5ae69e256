// Finding, loading and checking the system file on first use.

#include <gtest/gtest.h>

#include "test_support.h"

namespace pipedex::testing {
namespace {

const char* kRegistryKey = "HKEY_LOCAL_MACHINE\\Software\\Zenrod\\Pipedex\\Settings";
const std::string kMinimal = Catalogue("<A_CPT><Pipes><Pipe PCFTYPE=\"PIPE\"/></Pipes></A_CPT>");

struct Bare {
  TempDir dir;
  std::shared_ptr<TestPlatform> platform = std::make_shared<TestPlatform>(dir.path());
  Pipedex pipedex{platform};
};

// The file beside the component wins over the Data folder, which wins over the
// registry's DataPath; a failed search raises and the next call searches again.
TEST(Initialisation, SearchesBesideTheComponentThenTheDataFolderThenTheRegistry) {
  Bare both;
  const std::string beside = both.dir.Write("SystemPipedex.xml", kMinimal);
  both.dir.Write("Data/SystemPipedex.xml", kMinimal);
  EXPECT_EQ(both.pipedex.SystemXMLPath(), beside);
  EXPECT_EQ(both.pipedex.ProjectXMLPath() + both.pipedex.UserXMLPath(), "");
  EXPECT_EQ(both.platform->registryOpens, 0);

  Bare b;
  const std::string notFound = "Path to Pipedex file not specified in registry and it does not exist in application directory";
  const Error none = ErrorOf([&] { b.pipedex.GroupCount(); });
  EXPECT_EQ(none.number(), -2147220991);
  EXPECT_EQ(none.source(), "Pipedex");
  EXPECT_EQ(none.description(), notFound);
  b.platform->AddRegistryKey(kRegistryKey);  // the key without the value
  EXPECT_EQ(ErrorOf([&] { b.pipedex.GroupCount(); }).description(), notFound);
  b.platform->SetRegistryString(kRegistryKey, "DataPath", "");  // an empty value is no value
  EXPECT_EQ(ErrorOf([&] { b.pipedex.GroupCount(); }).description(), notFound);
  b.platform->SetRegistryString(kRegistryKey, "DataPath", "/no/such/SystemPipedex.xml");
  const Error missing = ErrorOf([&] { b.pipedex.SystemXMLPath(); });
  EXPECT_EQ(missing.number(), -2147220990);
  EXPECT_EQ(missing.description(),
            "Data file specified in registry ( /no/such/SystemPipedex.xml )not found . Reinstall the Zenrod Pipedex component");
  TempDir elsewhere;
  const std::string file = elsewhere.Write("catalogue/SystemPipedex.xml", kMinimal);
  b.platform->SetRegistryString(kRegistryKey, "DataPath", file);
  EXPECT_EQ(b.pipedex.SystemXMLPath(), file);
  EXPECT_EQ(b.pipedex.GroupCount(), 1);
  EXPECT_EQ(b.platform->registryOpens, 5);  // once per search; a loaded instance does not search again

  Bare data;
  EXPECT_EQ(ErrorOf([&] { data.pipedex.GroupCount(); }).number(), -2147220991);
  const std::string inData = data.dir.Write("Data/SystemPipedex.xml", kMinimal);
  EXPECT_EQ(data.pipedex.GroupCount(), 1);
  EXPECT_EQ(data.pipedex.SystemXMLPath(), inData);
}

TEST(Initialisation, SyntaxErrorRaisesTheParseFrameEveryTime) {
  Bare b;
  b.dir.Write("SystemPipedex.xml", "<?xml version=\"1.0\"?>\n<ZENROD-ISOMETRICS-DATA>\n  <A_CPT>\n</ZENROD-ISOMETRICS-DATA>\n");
  for (int attempt = 0; attempt < 2; ++attempt) {
    Error e = ErrorOf([&] { b.pipedex.SystemXMLPath(); });
    EXPECT_EQ(e.number(), -2147220989);
    const std::string& d = e.description();
    EXPECT_EQ(d.rfind("Error parsing Zenrod XML Data\r\n", 0), 0u) << d;
    EXPECT_NE(d.find("\r\nLine   : 4\r\nSource : </ZENROD-ISOMETRICS-DATA>"), std::string::npos) << d;
  }
}

TEST(Initialisation, OtherRootElementFailsAndLeavesTheInstanceUninitialised) {
  Bare b;
  b.dir.Write("SystemPipedex.xml", "<CATALOGUE/>");
  Error e = ErrorOf([&] { b.pipedex.GroupCount(); });
  EXPECT_EQ(e.number(), -2147220987);
  EXPECT_EQ(e.description().rfind("Unexpected initialisation error : ", 0), 0u);
  b.dir.Write("SystemPipedex.xml", kMinimal);  // the next call starts again from the search
  EXPECT_EQ(b.pipedex.GroupCount(), 1);
}

}  // namespace
}  // namespace pipedex::testing
