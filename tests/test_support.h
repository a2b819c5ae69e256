#pragma once

// Shared test helpers: a platform whose component folder, locale and registry
// the test chooses, catalogue texts, and calls by name with their answers.

#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>

#include "pipedex/pipedex.h"
#include "temp_dir.h"

namespace pipedex::testing {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::StartsWith;

// The system platform on a folder taken as the component's own, with the
// given locale ("de_AT") and registry file (by default registry.reg in the
// folder, which a test writes when it needs a registry value).
std::shared_ptr<Platform> PlatformIn(const std::string& folder, const std::string& locale = "en_US",
                                     const std::string& registryFile = "");

// A registry file holding the DataPath value of the component's settings key.
std::string RegistryWithDataPath(const std::string& value);

// A catalogue document: the root element around the given sections.
std::string Catalogue(const std::string& sections);

// A Pipedex instance over a folder holding SystemPipedex.xml with the given text.
struct Fixture {
  explicit Fixture(const std::string& systemXml, LocaleNames locale = {"en", "US"});
  TempDir dir;
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

// The same as one text, "NUMBER SOURCE: DESCRIPTION"; "none" when it raises none.
template <typename F>
std::string Raised(F&& operation) {
  const Error e = ErrorOf(operation);
  return e.number() == 0 ? "none" : std::to_string(e.number()) + " " + e.source() + ": " + e.description();
}

// Runs read on every damaged form of good bytes: cut short at each length,
// and with each byte changed to 0xff, each in an allocation of its own (so
// that the sanitizer build catches a read past it).
template <typename F>
void ForEachDamaged(const std::string& good, F&& read) {
  for (std::size_t i = 0; i <= good.size(); ++i) {
    std::string changed = good;
    if (i < good.size()) changed[i] = '\xff';
    for (const std::string& bad : {good.substr(0, i), changed}) {
      const std::string copy = bad;
      read(copy);
    }
  }
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
