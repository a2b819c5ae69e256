#pragma once

// Shared test helpers: a platform whose component folder, locale and registry
// the test chooses, catalogue texts, and calls by name with their answers.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "pipedex/pipedex.h"
#include "temp_dir.h"

namespace pipedex::testing {

// Real files, a chosen component folder and locale, and an in-memory registry.
class TestPlatform : public Platform {
 public:
  explicit TestPlatform(std::string componentFolder, LocaleNames locale = {"en", "US"});

  // Registry keys are "HKEY_LOCAL_MACHINE\Software\..." (letter case ignored).
  void SetRegistryString(const std::string& key, const std::string& name, const std::string& value);
  void AddRegistryKey(const std::string& key);

  int registryOpens = 0;  // how often a key was opened
  std::string componentFolder;
  LocaleNames locale;

  bool FileExists(const std::string& path) override;
  std::string ParentFolder(const std::string& path) override;
  std::string ComponentFolder() override { return componentFolder; }
  LocaleNames ThreadLocale() override { return locale; }
  std::int32_t OpenRegistryKey(RegistryHandle root, const std::string& subKey, RegistryHandle& key) override;
  std::int32_t ReadRegistryValue(RegistryHandle key, const std::string& name, RegistryValue& value) override;
  void CloseRegistryKey(RegistryHandle) override {}

 private:
  std::map<std::string, std::map<std::string, RegistryValue>> keys_;  // upper-cased names
  std::map<RegistryHandle, std::string> open_;
  RegistryHandle next_ = 1;
};

// A catalogue document: the root element around the given sections.
std::string Catalogue(const std::string& sections);

// A Pipedex instance over a folder holding SystemPipedex.xml with the given text.
struct Fixture {
  explicit Fixture(const std::string& systemXml, LocaleNames locale = {"en", "US"});
  TempDir dir;
  std::shared_ptr<TestPlatform> platform;
  Pipedex pipedex;
};

// Runs `pipedex [globalArgs] batch` with the requests as standard input and
// returns its output lines. Example:
//   RunBatch({"--component-dir", dir.path()}, {R"({"call": "GroupCount"})"})
std::vector<std::string> RunBatch(const std::vector<std::string>& globalArgs, const std::vector<std::string>& requests);

// One call by its batch name, its arguments as the command line writes them,
// and the answer: the result as JSON, then each in-out value as JSON
// ("true \"Elbow\" \"BW--\""), or "error NUMBER". "set NAME" sets a property.
struct Row {
  std::string call;
  std::vector<std::string> args;
  std::string answer;
};
std::string Ask(Pipedex& p, const std::string& call, const std::vector<std::string>& args);
// Asks every row in order (later rows see what earlier ones changed).
void ExpectAnswers(Pipedex& p, const std::vector<Row>& rows);

// The error an operation raises; error 0 "no error raised" when it raises none.
template <typename F>
Error ErrorOf(F&& operation) {
  try {
    operation();
  } catch (const Error& e) {
    return e;
  }
  return Error(0, "", "no error raised");
}

// A document parsed from the text, expecting no parse error.
pugi::xml_document Load(const std::string& text);

// An ASCII text as UTF-16 little-endian bytes behind a byte order mark.
std::string Utf16(const std::string& ascii);

// The content of a file ("" when missing).
std::string ReadFile(const std::string& path);
// A text quoted for /bin/sh.
std::string Quote(const std::string& s);
// Runs a /bin/sh command and returns its standard output; exitCode receives the exit status.
std::string Execute(const std::string& command, int* exitCode);

// The shipped sample catalogue folder (data/).
std::string SampleDataDir();

}  // namespace pipedex::testing
