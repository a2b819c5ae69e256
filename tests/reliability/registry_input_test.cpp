// The registry file is read like any other input from outside: every form of
// text gives values or nothing, never a failure.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/registry.h"
#include "platform/registry_file.h"
#include "test_support.h"

namespace pipedex::testing {
namespace {

const char* kKey = "HKEY_LOCAL_MACHINE\\Software\\Zenrod\\Pipedex\\Settings";

std::string Utf16Le(const std::u16string& text) {
  std::string out = "\xFF\xFE";
  for (char16_t unit : text) out += std::string{static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
  return out;
}

TEST(RegistryInput, Utf16TextOfEveryLength) {
  // One, two, three and four UTF-8 bytes per character (a surrogate pair);
  // reading stops at a lone surrogate, so no value after it is read.
  std::u16string text = u"[HKEY_LOCAL_MACHINE\\Software\\Zenrod\\Pipedex\\Settings]\r\n\"DataPath\"=\"/d\u00E4t\u20AC/\U0001F600\"\r\n";
  text += u"\"Broken\"=\"a";
  text += char16_t{0xD800};
  text += u"b\"\r\n\"After\"=\"c\"\r\n";
  auto file = registry::RegistryFile::Parse(Utf16Le(text));
  const RegistryValue* value = file.FindValue(kKey, "DataPath");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->text, "/d\u00E4t\u20AC/\U0001F600");
  EXPECT_EQ(file.FindValue(kKey, "Broken"), nullptr);
  EXPECT_EQ(file.FindValue(kKey, "After"), nullptr);
  // Half a character at the end leaves the text before it readable.
  EXPECT_NE(registry::RegistryFile::Parse(Utf16Le(text.substr(0, text.find(u"\"Broken"))) + "\x41").FindValue(kKey, "DataPath"), nullptr);
}

TEST(RegistryInput, LinesThatFitNoFormAreIgnored) {
  auto file = registry::RegistryFile::Parse(
      "\xEF\xBB\xBFREGEDIT4\n"
      "\"Outside\"=\"no section yet\"\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Zenrod\\Pipedex\\Settings\\\\]\n"
      "\"DataPath\"\n"
      "\"Open=\"x\"\n"
      "@=\"default\"\n"
      "\"Big\"=dword:123456789\n"
      "\"Hex\"=dword:0000ffFF\n"
      "NoQuote=\"x\"\n"
      "\"Spaced\"   =   \"v\"   \n"
      "\"Unclosed\"=\"v\n"
      "\"EscapedEnd\"=\"v\\\"\n"
      "\"Backslash\"=\"v\\\\\"\n"
      "\"Lone\"=\"v\\x\"\n"
      "[\n"
      "\"AfterBrokenSection\"=\"x\"\n");
  EXPECT_TRUE(file.KeyExists(kKey));
  EXPECT_EQ(file.FindValue(kKey, "DataPath"), nullptr);
  EXPECT_EQ(file.FindValue(kKey, "")->text, "default");
  EXPECT_EQ(file.FindValue(kKey, "Big"), nullptr);
  EXPECT_EQ(file.FindValue(kKey, "Hex")->number, 0xFFFFu);
  EXPECT_EQ(file.FindValue(kKey, "Spaced")->text, "v");
  EXPECT_EQ(file.FindValue(kKey, "Unclosed"), nullptr);
  EXPECT_EQ(file.FindValue(kKey, "EscapedEnd"), nullptr);  // the quote at the end is escaped
  EXPECT_EQ(file.FindValue(kKey, "Backslash")->text, "v\\");
  EXPECT_EQ(file.FindValue(kKey, "Lone")->text, "v\\x");  // a backslash before anything else stays
  EXPECT_EQ(file.FindValue(kKey, "Outside"), nullptr);
  EXPECT_EQ(file.FindValue(kKey, "AfterBrokenSection"), nullptr);
  EXPECT_EQ(file.FindValue("HKEY_LOCAL_MACHINE\\Nowhere", "DataPath"), nullptr);
}

TEST(RegistryInput, ValuesOfEveryHiveAndTypeThroughTheSystemPlatform) {
  TempDir dir;
  std::string reg = dir.Write("registry.reg",
                              "[HKEY_CLASSES_ROOT\\K]\n\"V\"=\"classes\"\n"
                              "[HKEY_CURRENT_USER\\K]\n\"V\"=\"user\"\n"
                              "[HKEY_USERS\\K]\n\"V\"=\"users\"\n\"Zero\"=dword:00000000\n\"Blob\"=hex:01\n"
                              "[HKEY_LOCAL_MACHINE\\Software\\Zenrod\\Pipedex\\Settings]\n\"DataPath\"=dword:0000002a\n");
  auto platform = MakeSystemPlatform({dir.path(), reg, "en_US"});
  auto read = [&](std::int32_t hive, const std::string& name) {
    return registry::GetRegistryValue(*platform, hive, "K", name, std::string("fallback"));
  };
  EXPECT_EQ(std::get<std::string>(read(1, "V")), "classes");
  EXPECT_EQ(std::get<std::string>(read(2, "V")), "user");
  EXPECT_EQ(std::get<std::string>(read(4, "V")), "users");
  EXPECT_EQ(std::get<std::string>(read(4, "Zero")), "fallback");  // the number 0 counts as empty
  EXPECT_EQ(std::get<std::string>(read(4, "Blob")), "fallback");  // a type that is not read
  RegistryHandle key = 0;
  ASSERT_EQ(platform->OpenRegistryKey(kUsers, "K", key), kStatusSuccess);
  RegistryValue value;
  EXPECT_EQ(platform->ReadRegistryValue(key, "Nothing", value), kStatusNotFound);
  platform->CloseRegistryKey(key);
  EXPECT_EQ(platform->ReadRegistryValue(key, "V", value), kStatusInvalidHandle);
  EXPECT_EQ(platform->OpenRegistryKey(0x1234, "K", key), kStatusInvalidHandle);

  // A DataPath stored as a number names the file "42", which does not exist.
  Pipedex p(platform);
  try {
    p.SystemXMLPath();
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), -2147220990);  // 0x80040202
    EXPECT_NE(e.description().find("( 42 )"), std::string::npos) << e.description();
  }
}

TEST(RegistryInput, OnlyARegularFileOfBoundedSizeIsRead) {
  TempDir dir;
  const std::string entry = std::string("[") + kKey + "]\n\"DataPath\"=\"x\"\n";
  const std::string fifo = dir.path() + "/fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);  // no writer: reading would wait for ever
  const std::string big = dir.Write("big.reg", entry + std::string(registry::RegistryFile::kMaxFileSize, ';'));
  for (const std::string& path : {std::string("/dev/zero"), fifo, big, dir.path(), dir.Write("ok.reg", entry) + std::string(1, '\0')})
    EXPECT_FALSE(registry::RegistryFile::Load(path).KeyExists(kKey)) << path;
  EXPECT_TRUE(registry::RegistryFile::Load(dir.path() + "/ok.reg").KeyExists(kKey));
}

// Sets an environment variable for the life of the object.
struct ScopedEnv {
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) previous_ = old, had_ = true;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (had_) ::setenv(name_, previous_.c_str(), 1);
    else ::unsetenv(name_);
  }
  const char* name_;
  std::string previous_;
  bool had_ = false;
};

TEST(RegistryInput, EnvironmentChoosesTheRegistryFileAndTheLocale) {
  TempDir dir;
  std::string system = dir.Write("elsewhere/SystemPipedex.xml", Catalogue("<A_CPT><Pipes/></A_CPT>"));
  std::string reg = dir.Write("env.reg", std::string("[") + kKey + "]\n\"DataPath\"=\"" + system + "\"\n");
  ScopedEnv registryFile("PIPEDEX_REGISTRY", reg);
  ScopedEnv locale("LC_ALL", "de_AT.UTF-8");
  auto platform = MakeSystemPlatform({dir.path() + "/component", "", ""});
  Pipedex p(platform);
  EXPECT_EQ(p.SystemXMLPath(), system);
  EXPECT_EQ(platform->ThreadLocale().country, "AT");

  // The default instance looks beside the module holding the component: here
  // the test program, which links the library's objects (the CLI and guide
  // tests cover the shared library beside its Data folder).
  Pipedex standard;
  Pipedex moved = std::move(standard);
  standard = std::move(moved);
  EXPECT_EQ(standard.SystemXMLPath(), system);
  const std::string bin = std::filesystem::canonical(PIPEDEX_CLI_PATH).parent_path().string();
  EXPECT_EQ(MakeSystemPlatform()->ComponentFolder(), bin);

  // Registry files in the order they are tried: an option, the environment,
  // else the system-wide file and the one installed with the library (its data
  // folder relative to the library folder: "../share/pipedex" under /usr/local,
  // "../../share/pipedex" under a multiarch /usr/lib/<triplet>).
  const std::string installed =
      (std::filesystem::path(bin + "/") / PIPEDEX_LIB_TO_DATA / "registry.reg").lexically_normal().string();
  EXPECT_EQ(SystemRegistryFiles({"", "/x.reg", ""}), std::vector<std::string>{"/x.reg"});
  EXPECT_EQ(SystemRegistryFiles(), std::vector<std::string>{reg});
  ScopedEnv unset("PIPEDEX_REGISTRY", "");
  EXPECT_EQ(SystemRegistryFiles(), (std::vector<std::string>{"/etc/pipedex/registry.reg", installed}));
}

}  // namespace
}  // namespace pipedex::testing
