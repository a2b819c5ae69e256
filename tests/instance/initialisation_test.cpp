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

TEST(Initialisation, FileBesideTheComponentWinsOverTheDataFolderAndTheRegistryIsNotRead) {
  Bare b;
  std::string beside = b.dir.Write("SystemPipedex.xml", kMinimal);
  b.dir.Write("Data/SystemPipedex.xml", kMinimal);
  EXPECT_EQ(b.pipedex.SystemXMLPath(), beside);
  EXPECT_EQ(b.pipedex.GroupCount(), 1);
  EXPECT_EQ(b.platform->registryOpens, 0);
  EXPECT_EQ(b.pipedex.ProjectXMLPath(), "");
  EXPECT_EQ(b.pipedex.UserXMLPath(), "");
}

TEST(Initialisation, NoFileAndNoRegistryKeyRaisesAndEveryAttemptSearchesAgain) {
  Bare b;
  for (int attempt = 0; attempt < 2; ++attempt) {
    Error e = ErrorOf([&] { b.pipedex.GroupCount(); });
    EXPECT_EQ(e.number(), -2147220991);
    EXPECT_EQ(e.source(), "Pipedex");
    EXPECT_EQ(e.description(),
              "Path to Pipedex file not specified in registry and it does not exist in application directory");
  }
  EXPECT_EQ(b.platform->registryOpens, 2);
  std::string inData = b.dir.Write("Data/SystemPipedex.xml", kMinimal);
  EXPECT_EQ(b.pipedex.GroupCount(), 1);
  EXPECT_EQ(b.pipedex.SystemXMLPath(), inData);
}

TEST(Initialisation, RegistryValueNamesTheFile) {
  Bare b;
  TempDir elsewhere;
  std::string file = elsewhere.Write("catalogue/SystemPipedex.xml", kMinimal);
  b.platform->SetRegistryString(kRegistryKey, "DataPath", file);
  EXPECT_EQ(b.pipedex.SystemXMLPath(), file);
  EXPECT_EQ(b.pipedex.GroupCount(), 1);
  EXPECT_EQ(b.platform->registryOpens, 1);  // a second operation does not consult the registry again
}

TEST(Initialisation, RegistryValueNamingAMissingFileRaisesWithThePathAndAnEmptyValueIsNoValue) {
  Bare b;
  b.platform->SetRegistryString(kRegistryKey, "DataPath", "/no/such/SystemPipedex.xml");
  Error e = ErrorOf([&] { b.pipedex.SystemXMLPath(); });
  EXPECT_EQ(e.number(), -2147220990);
  EXPECT_EQ(e.description(),
            "Data file specified in registry ( /no/such/SystemPipedex.xml )not found . Reinstall the Zenrod Pipedex "
            "component");
  b.platform->SetRegistryString(kRegistryKey, "DataPath", "");
  EXPECT_EQ(ErrorOf([&] { b.pipedex.GroupCount(); }).number(), -2147220991);
  Bare keyOnly;
  keyOnly.platform->AddRegistryKey(kRegistryKey);  // key without the value
  EXPECT_EQ(ErrorOf([&] { keyOnly.pipedex.GroupCount(); }).number(), -2147220991);
}

TEST(Initialisation, SyntaxErrorRaisesTheParseFrameEveryTime) {
  for (const char* content : {"", "not xml at all", "<ZENROD-ISOMETRICS-DATA><A_CPT>"}) {
    Bare b;
    b.dir.Write("SystemPipedex.xml", content);
    EXPECT_EQ(ErrorOf([&] { b.pipedex.GroupCount(); }).number(), -2147220989) << content;
  }
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

TEST(Initialisation, DumpXmlWritesTheDocumentAndAFailingSaveKeepsTheOldFile) {
  Fixture f(kMinimal);
  std::string target = f.dir.path() + "/out.xml";
  f.pipedex.DumpXML(target);
  const std::string written = ReadFile(target);
  EXPECT_NE(written.find("<Pipe PCFTYPE=\"PIPE\""), std::string::npos);

  EXPECT_THROW(f.pipedex.DumpXML("/proc/pipedex-cannot-write/out.xml"), Error);
  EXPECT_THROW(f.pipedex.DumpXML(f.dir.path()), Error);  // a folder is not a file
  EXPECT_EQ(ReadFile(target), written);
  Pipedex moved = std::move(f.pipedex);  // instances are movable
  EXPECT_EQ(moved.GroupCount(), 1);
}

}  // namespace
}  // namespace pipedex::testing
