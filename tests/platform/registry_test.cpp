// The registry file of this system and the reader of the "DataPath" value.

#include <gtest/gtest.h>

#include "platform/registry.h"
#include "platform/registry_file.h"
#include "test_support.h"

namespace pipedex::testing {
namespace {

using registry::Value;

const char* kExport =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "; installed by the setup\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Zenrod\\Pipedex\\Settings]\r\n"
    "\"DataPath\"=\"/opt/pipe \\\"dex\\\"\\\\SystemPipedex.xml\"\r\n"
    "\"Empty\"=\"\"\r\n"
    "\"Count\"=dword:0000002a\r\n"
    "\"Zero\"=dword:00000000\r\n"
    "\"Blob\"=hex:01,02\r\n"
    "this line means nothing\r\n"
    "[HKEY_CURRENT_USER\\Software\\Other\\Deep\\Key]\r\n"
    "[NOT_A_HIVE\\Software]\r\n";

Value Read(Platform& platform, std::int32_t hive, const std::string& key, const std::string& name) {
  return registry::GetRegistryValue(platform, hive, key, name, std::string("default"));
}

TEST(RegistryFile, ParsesTheExportSubset) {
  auto file = registry::RegistryFile::Parse(kExport);
  const auto* path = file.FindValue("hkey_local_machine\\software\\ZENROD\\pipedex\\settings", "datapath");
  ASSERT_NE(path, nullptr);
  EXPECT_EQ(path->kind, RegistryValue::Kind::Text);
  EXPECT_EQ(path->text, "/opt/pipe \"dex\"\\SystemPipedex.xml");
  EXPECT_EQ(file.FindValue("HKEY_LOCAL_MACHINE\\Software\\Zenrod\\Pipedex\\Settings", "Count")->number, 42u);
  EXPECT_EQ(file.FindValue("HKEY_LOCAL_MACHINE\\Software\\Zenrod\\Pipedex\\Settings", "Blob")->kind, RegistryValue::Kind::Other);
  EXPECT_TRUE(file.KeyExists("HKEY_CURRENT_USER\\Software\\Other"));  // a key below it is named
  EXPECT_FALSE(file.KeyExists("HKEY_CURRENT_USER\\Software\\Oth"));
  EXPECT_FALSE(file.KeyExists("NOT_A_HIVE\\Software"));
}

TEST(Registry, GetRegistryValueThroughTheSystemPlatform) {
  TempDir dir;
  std::string regFile = dir.Write("registry.reg", kExport);
  auto platform = MakeSystemPlatform({dir.path(), regFile, ""});
  const std::string key = "Software/Zenrod/Pipedex/Settings";
  EXPECT_EQ(std::get<std::string>(Read(*platform, 3, key, "DataPath")), "/opt/pipe \"dex\"\\SystemPipedex.xml");
  EXPECT_EQ(registry::LastStatus(), 0);
  // Mixed separators address the same key; names ignore letter case.
  EXPECT_EQ(std::get<std::string>(Read(*platform, 3, "SOFTWARE\\zenrod/Pipedex\\Settings", "DATAPATH")),
            "/opt/pipe \"dex\"\\SystemPipedex.xml");
  EXPECT_EQ(std::get<std::int32_t>(Read(*platform, 3, key, "Count")), 42);
  // Empty values, the number 0, missing values and other types give the default.
  for (const char* name : {"Empty", "Zero", "Missing", "Blob"})
    EXPECT_EQ(std::get<std::string>(Read(*platform, 3, key, name)), "default") << name;
  // A key that cannot be opened gives -1, not the default.
  EXPECT_EQ(std::get<std::int32_t>(Read(*platform, 3, "Software/Nothing", "DataPath")), -1);
  EXPECT_EQ(registry::LastStatus(), 2);
  EXPECT_EQ(std::get<std::int32_t>(Read(*platform, 2, key, "DataPath")), -1);  // another hive
  EXPECT_EQ(std::get<std::int32_t>(Read(*platform, 9, key, "DataPath")), -1);  // no such hive
  // A missing registry file means no key can be opened.
  auto none = MakeSystemPlatform({dir.path(), dir.path() + "/missing.reg", ""});
  EXPECT_EQ(std::get<std::int32_t>(Read(*none, 3, key, "DataPath")), -1);
}

TEST(Registry, PathAndHiveHelpers) {
  std::string path = "Software/Zenrod\\Pipedex/Settings";
  registry::ToRegistryPath(path);
  // A text ends at its first zero character.
  TestPlatform platform("");
  platform.SetRegistryString("HKEY_USERS\\K", "V", std::string("a\0b", 3));
  EXPECT_EQ(std::get<std::string>(Read(platform, 4, "K", "V")), "a");
  EXPECT_EQ(path, "Software\\Zenrod\\Pipedex\\Settings");
  EXPECT_EQ(registry::HiveHandle(3), kLocalMachine);
  EXPECT_EQ(registry::HiveHandle(0), 0u);
}

TEST(SystemPlatform, LocaleAndFolders) {
  auto locale = [](const std::string& value) { return MakeSystemPlatform({"", "", value})->ThreadLocale(); };
  EXPECT_EQ(locale("de_AT.UTF-8@euro").language, "de");
  EXPECT_EQ(locale("de_AT.UTF-8@euro").country, "AT");
  EXPECT_EQ(locale("POSIX").language, "en");
  EXPECT_EQ(locale("C").country, "US");
  EXPECT_EQ(locale("fr").country, "");
  auto platform = MakeSystemPlatform({"/opt/pipedex/", "", ""});
  EXPECT_EQ(platform->ComponentFolder(), "/opt/pipedex");
  EXPECT_EQ(platform->ParentFolder("/opt/pipedex/SystemPipedex.xml"), "/opt/pipedex");
  EXPECT_FALSE(platform->FileExists("/opt"));  // a folder is not a file
}

}  // namespace
}  // namespace pipedex::testing
