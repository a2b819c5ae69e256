// The registry file of this system and the reader of the "DataPath" value.
// The file comes from outside: every form of text gives values or nothing,
// never a failure.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "platform/registry.h"
#include "platform/registry_file.h"
#include "test_support.h"

namespace pipedex::testing {
namespace {

const char* kKey = "HKEY_LOCAL_MACHINE\\Software\\Zenrod\\Pipedex\\Settings";

// What FindValue gives, as "text:...", "number:...", "other" or "none".
std::string Found(const registry::RegistryFile& file, const std::string& key, const std::string& name) {
  const RegistryValue* v = file.FindValue(key, name);
  if (!v) return "none";
  if (v->kind == RegistryValue::Kind::Text) return "text:" + v->text;
  return v->kind == RegistryValue::Kind::Number ? "number:" + std::to_string(v->number) : "other";
}

TEST(RegistryFile, ReadsTheExportFormsAndIgnoresLinesThatFitNone) {
  const auto file = registry::RegistryFile::Parse(
      "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n; installed by the setup\r\n"
      "\"Outside\"=\"no section yet\"\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Zenrod\\Pipedex\\Settings\\\\]\r\n"  // trailing separators
      "\"DataPath\"=\"/opt/pipe \\\"dex\\\"\\\\SystemPipedex.xml\"\r\n"
      "\"Count\"=dword:0000002a\r\n\"Hex\"=dword:0000ffFF\n\"Big\"=dword:123456789\n\"Blob\"=hex:01,02\r\n"
      "this line means nothing\r\n\"NoValue\"\n\"Gap\"x\"v\"\n\"Open=\"x\"\n@=\"default\"\nNoQuote=\"x\"\n"
      "\"Spaced\"   =   \"v\"   \n\"Unclosed\"=\"v\n\"EscapedEnd\"=\"v\\\"\n\"Backslash\"=\"v\\\\\"\n"
      "\"Lone\"=\"v\\x\"\n"
      "[HKEY_CURRENT_USER\\Software\\Other\\Deep\\Key]\r\n[NOT_A_HIVE\\Software]\r\n[\n\"AfterBroken\"=\"x\"\n"
      "[HKEY_USERS\\Late]\n\"Late\"=\"y\"\n");
  const std::pair<const char*, std::string> rows[] = {
      {"datapath", "text:/opt/pipe \"dex\"\\SystemPipedex.xml"},
      {"Count", "number:42"}, {"Hex", "number:65535"}, {"Big", "none"}, {"Blob", "other"},
      {"NoValue", "none"}, {"Gap", "none"}, {"Open", "none"}, {"", "text:default"}, {"NoQuote", "none"}, {"Spaced", "text:v"},
      {"Unclosed", "none"}, {"EscapedEnd", "none"},  // the quote at the end is escaped
      {"Backslash", "text:v\\"}, {"Lone", "text:v\\x"},  // a backslash before anything else stays
      {"Outside", "none"}, {"AfterBroken", "none"},
  };
  for (const auto& [name, expected] : rows) EXPECT_EQ(Found(file, "hkey_local_machine\\software\\ZENROD\\pipedex\\settings", name), expected) << name;
  EXPECT_TRUE(file.KeyExists("HKEY_CURRENT_USER\\Software\\Other"));  // a key below it is named
  EXPECT_FALSE(file.KeyExists("HKEY_CURRENT_USER\\Software\\Oth"));
  EXPECT_FALSE(file.KeyExists("NOT_A_HIVE\\Software"));
  EXPECT_EQ(Found(file, "HKEY_LOCAL_MACHINE\\Nowhere", "DataPath"), "none");
  EXPECT_EQ(Found(file, "HKEY_USERS\\Late", "Late"), "text:y");  // reading goes on after a broken line
}

TEST(RegistryFile, Utf16TextOfEveryLengthUpToABrokenCharacter) {
  // One to four UTF-8 bytes per character (the last a surrogate pair); reading
  // stops at a lone surrogate, so no value after it is read.
  std::u16string text = u"[HKEY_LOCAL_MACHINE\\Software\\Zenrod\\Pipedex\\Settings]\r\n\"DataPath\"=\"/d\u00E4t\u20AC/\U0001F600\"\r\n";
  const std::size_t good = text.size();
  text += u"\"Broken\"=\"a";
  text += char16_t{0xD800};
  text += u"b\"\r\n\"After\"=\"c\"\r\n";
  auto bytes = [](const std::u16string& units) {
    std::string out = "\xFF\xFE";
    for (char16_t u : units) out += std::string{static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
    return out;
  };
  const auto file = registry::RegistryFile::Parse(bytes(text));
  EXPECT_EQ(Found(file, kKey, "DataPath"), "text:/d\u00E4t\u20AC/\U0001F600");
  EXPECT_EQ(Found(file, kKey, "Broken") + Found(file, kKey, "After"), "nonenone");
  // Half a character at the end leaves the text before it readable.
  EXPECT_EQ(Found(registry::RegistryFile::Parse(bytes(text.substr(0, good)) + "A"), kKey, "DataPath").substr(0, 7), "text:/d");
}

TEST(RegistryFile, OnlyARegularFileOfBoundedSizeIsRead) {
  TempDir dir;
  const std::string entry = std::string("[") + kKey + "]\n\"DataPath\"=\"x\"\n";
  const std::string fifo = dir.path() + "/fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);  // no writer: reading would wait for ever
  const std::string big = dir.Write("big.reg", entry + std::string(registry::RegistryFile::kMaxFileSize, ';'));
  for (const std::string& path : {std::string("/dev/zero"), fifo, big, dir.path(), dir.Write("ok.reg", entry) + std::string(1, '\0')})
    EXPECT_FALSE(registry::RegistryFile::Load(path).KeyExists(kKey)) << path;
  EXPECT_TRUE(registry::RegistryFile::Load(dir.path() + "/ok.reg").KeyExists(kKey));
}

TEST(Registry, ValuesOfEveryHiveThroughTheSystemPlatform) {
  TempDir dir;
  const std::string reg = dir.Write("registry.reg",  // a byte order mark before the first key
                                    "\xEF\xBB\xBF[HKEY_CLASSES_ROOT\\K]\n\"V\"=\"classes\"\n[HKEY_CURRENT_USER\\K]\n\"V\"=\"user\"\n"
                                    "[HKEY_USERS\\K]\n\"V\"=\"users\"\n[HKEY_LOCAL_MACHINE\\Software\\Zenrod\\Pipedex\\Settings]\n"
                                    "\"DataPath\"=\"/a/b.xml\"\n\"Count\"=dword:0000002a\n\"Zero\"=dword:00000000\n"
                                    "\"Empty\"=\"\"\n\"Blob\"=hex:01\n");
  auto platform = MakeSystemPlatform({dir.path(), reg, "en_US"});
  auto read = [&](std::int32_t hive, const std::string& key, const std::string& name) {
    const registry::Value v = registry::GetRegistryValue(*platform, hive, key, name, std::string("default"));
    return v.index() == 1 ? std::get<std::string>(v) : std::to_string(std::get<std::int32_t>(v));
  };
  const std::string key = "Software/Zenrod/Pipedex/Settings";
  const struct {
    std::int32_t hive;
    std::string key, name, expected;
    int status;
  } rows[] = {
      {3, key, "DataPath", "/a/b.xml", 0},
      {3, "SOFTWARE\\zenrod/Pipedex\\Settings", "DATAPATH", "/a/b.xml", 0},  // mixed separators, any case
      {3, key, "Count", "42", 0},
      // Empty values, the number 0, missing values and other kinds give the default.
      {3, key, "Empty", "default", 0}, {3, key, "Zero", "default", 0}, {3, key, "Missing", "default", 0},
      {3, key, "Blob", "default", 0},
      {1, "K", "V", "classes", 0}, {2, "K", "V", "user", 0}, {4, "K", "V", "users", 0},
      // A key that cannot be opened gives -1, not the default.
      {3, "Software/Nothing", "DataPath", "-1", 2}, {2, key, "DataPath", "-1", 2}, {9, key, "DataPath", "-1", 6},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(read(r.hive, r.key, r.name), r.expected) << r.hive << " " << r.key << " " << r.name;
    EXPECT_EQ(registry::LastStatus(), r.status) << r.hive << " " << r.key << " " << r.name;
  }
  RegistryHandle handle = 0;
  ASSERT_EQ(platform->OpenRegistryKey(kUsers, "K", handle), kStatusSuccess);
  platform->CloseRegistryKey(handle);
  RegistryValue value;
  EXPECT_EQ(platform->ReadRegistryValue(handle, "V", value), kStatusInvalidHandle);
  // Reading one value: 0 for a text or a number, -1 for another kind, the platform's status for none.
  ASSERT_EQ(platform->OpenRegistryKey(kLocalMachine, "Software\\Zenrod\\Pipedex\\Settings", handle), kStatusSuccess);
  registry::Value v;
  EXPECT_EQ(registry::QueryRegistryValue(*platform, handle, "Count", v), 0);
  EXPECT_EQ(registry::QueryRegistryValue(*platform, handle, "Blob", v), -1);
  EXPECT_EQ(registry::QueryRegistryValue(*platform, handle, "Missing", v), 2);
  // A missing registry file means no key can be opened.
  EXPECT_EQ(std::get<std::int32_t>(registry::GetRegistryValue(*MakeSystemPlatform({dir.path(), dir.path() + "/none.reg", ""}),
                                                             3, key, "DataPath", std::string())), -1);
  // A text ends at its first zero character.
  const std::string zero = dir.Write("zero.reg", std::string("[HKEY_USERS\\K]\n\"V\"=\"a\0b\"\n", 24));
  EXPECT_EQ(std::get<std::string>(registry::GetRegistryValue(*MakeSystemPlatform({"", zero, ""}), 4, "K", "V", std::string())), "a");

  // A DataPath stored as a number names the file "42", which does not exist.
  const std::string numeric = dir.Write("numeric.reg", std::string("[") + kKey + "]\n\"DataPath\"=dword:0000002a\n");
  Pipedex p(MakeSystemPlatform({dir.path(), numeric, "en_US"}));
  EXPECT_THAT(Raised([&] { p.SystemXMLPath(); }), AllOf(StartsWith("-2147220990 "), HasSubstr("( 42 )")));
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

TEST(SystemPlatform, LocaleFoldersAndTheRegistryFileFromOptionsOrEnvironment) {
  auto locale = [](const std::string& value) {
    const LocaleNames names = MakeSystemPlatform({"", "", value})->ThreadLocale();
    return names.language + "-" + names.country;
  };
  EXPECT_EQ(locale("de_AT.UTF-8@euro") + locale("POSIX") + locale("C") + locale("fr") + locale("C.UTF-8") +
                locale("pt-BR"),
            "de-ATen-USen-USfr-en-USpt-BR");
  auto folders = MakeSystemPlatform({"/opt/pipedex/", "", ""});
  EXPECT_EQ(folders->ComponentFolder(), "/opt/pipedex");
  EXPECT_EQ(folders->ParentFolder("/opt/pipedex/SystemPipedex.xml"), "/opt/pipedex");
  EXPECT_EQ(folders->ParentFolder("//SystemPipedex.xml"), "/");  // the root stays a folder
  EXPECT_EQ(folders->ParentFolder("SystemPipedex.xml") + "|" + folders->ParentFolder("/a//b") + "|" +
                MakeSystemPlatform({"/", "", ""})->ComponentFolder(), "|/a|/");
  EXPECT_FALSE(folders->FileExists("/opt") || folders->FileExists("") || folders->FileExists({"/etc/passwd\0x", 13}));

  TempDir dir;
  std::string system = dir.Write("elsewhere/SystemPipedex.xml", Catalogue("<A_CPT><Pipes/></A_CPT>"));
  std::string reg = dir.Write("env.reg", std::string("[") + kKey + "]\n\"DataPath\"=\"" + system + "\"\n");
  ScopedEnv registryFile("PIPEDEX_REGISTRY", reg);
  ScopedEnv lcAll("LC_ALL", "de_AT.UTF-8");
  auto platform = MakeSystemPlatform({dir.path() + "/component", "", ""});
  Pipedex p(platform);
  EXPECT_EQ(p.SystemXMLPath(), system);
  EXPECT_EQ(platform->ThreadLocale().country, "AT");

  // The default instance looks beside the module holding the component: here
  // the test program, which links the library's objects (the CLI and guide
  // tests cover the shared library beside its Data folder). Instances move.
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

  // A program with the library built in names the library's folder: the
  // component's folder and the installed registry file follow it.
  SystemPlatformOptions builtIn;
  builtIn.libraryFolder = "/opt/p/lib//";
  EXPECT_EQ(MakeSystemPlatform(builtIn)->ComponentFolder(), "/opt/p/lib");
  EXPECT_EQ(SystemRegistryFiles(builtIn).back(),
            (std::filesystem::path("/opt/p/lib/") / PIPEDEX_LIB_TO_DATA / "registry.reg").lexically_normal().string());
}

}  // namespace
}  // namespace pipedex::testing
