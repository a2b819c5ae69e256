// The batch protocol's table is the registry of the operations: the public
// header, the API guide's table, the Python module and its type stub name the
// same operations with the same parameter names, in the same order. A property
// (AngleTolerance) counts as its getter, without parameters.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <regex>

#include "protocol.h"
#include "test_support.h"

namespace pipedex::testing {
namespace {

using Signatures = std::map<std::string, std::vector<std::string>>;

std::vector<std::string> Matches(const std::string& text, const std::regex& pattern) {
  std::vector<std::string> found;
  for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it) found.push_back((*it)[1]);
  return found;
}

Signatures Registry() {
  const cli::OperationTable table = cli::BuildOperationTable();
  Signatures ops;
  for (const auto& [name, op] : table.operations()) {
    std::vector<std::string>& params = ops[name];
    for (const cli::Param& p : op.params) params.push_back(p.name);
  }
  return ops;
}

// Each declaration of a text (its name, then its parameter list), the first of
// an overloaded name, with the parameter names the second pattern picks from its list.
Signatures Declarations(const std::string& text, const std::regex& declaration, const std::regex& param) {
  Signatures found;
  for (std::sregex_iterator it(text.begin(), text.end(), declaration), end; it != end; ++it)
    found.emplace((*it)[1], Matches((*it)[2], param));
  return found;
}

Signatures Header() {
  std::string header = std::regex_replace(ReadFile(PIPEDEX_SOURCE_DIR "/include/pipedex/pipedex.h"),
                                          std::regex("//[^\n]*"), "");
  const auto begin = header.find(" Pipedex {\n public:");
  Signatures members = Declarations(header.substr(begin, header.find("\n};", begin) - begin),
                                    std::regex(R"(\b(\w+)\(([^()]*)\)\s*(?:const\s*)?;)"), std::regex(R"((\w+)\s*(?:,|$))"));
  std::erase_if(members, [](const auto& m) { return m.first == "Pipedex" || m.first.starts_with("operator"); });
  return members;
}

Signatures GuideTable() {
  const std::string guide = ReadFile(PIPEDEX_SOURCE_DIR "/docs/api.md");
  return Declarations(guide.substr(guide.find("## The operations by area")), std::regex(R"(`(\w+)\(([^()]*)\)`)"),
                      std::regex(R"((\w+))"));
}

// The stub's class Pipedex: its methods named with a capital (the list helpers are lower case), and its properties.
Signatures Stub() {
  const std::string stub = ReadFile(PIPEDEX_SOURCE_DIR "/python/pipedex/__init__.pyi");
  const std::string body = stub.substr(stub.find("\nclass Pipedex:"));
  Signatures methods =
      Declarations(body, std::regex(R"(def ([A-Z]\w*)\(self,?([^()]*)\))"), std::regex(R"((\w+)\s*:)"));
  for (const std::string& property : Matches(body, std::regex(R"(\n    ([A-Z]\w*): )"))) methods[property];
  return methods;
}

#ifdef PIPEDEX_PYTHON_EXECUTABLE
// The compiled class as the built module has it: each method's parameters from
// the signature line of its docstring, each property without parameters.
Signatures PythonModule() {
  const std::string script = R"(
import json, re, pipedex._pipedex as m
ops = {}
for name, value in vars(m.Pipedex).items():
    if name.startswith("_"): continue
    if isinstance(value, property): ops[name] = []; continue
    first = value.__doc__.splitlines()[0]
    ops[name] = [p for p in re.findall(r"[(,] ?(\w+):", first[:first.rindex(") ->")]) if p != "self"]
print(json.dumps(ops))
)";
  int status = 0;
  const std::string out = Execute("PYTHONPATH=" + Quote(PIPEDEX_PYTHON_PATH) + " " +
                                      Quote(PIPEDEX_PYTHON_EXECUTABLE) + " -c " + Quote(script),
                                  &status);
  EXPECT_EQ(status, 0) << out;
  return status == 0 ? cli::Json::parse(out).get<Signatures>() : Signatures{};
}
#endif

// What another source has that the registry lacks, and the reverse, one line each.
std::string Differences(const Signatures& registry, const Signatures& other) {
  auto list = [](const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& n : names) text += (text.empty() ? "" : ", ") + n;
    return "(" + text + ")";
  };
  std::string lines;
  for (const auto& [name, params] : registry) {
    auto it = other.find(name);
    if (it == other.end()) lines += "missing " + name + "\n";
    else if (it->second != params) lines += name + list(it->second) + " where the registry has " + list(params) + "\n";
  }
  for (const auto& [name, params] : other)
    if (!registry.count(name)) lines += "extra " + name + "\n";
  return lines;
}

TEST(ProtocolTable, HeaderGuidePythonModuleAndStubNameTheRegistrysOperationsAndParameters) {
  const Signatures registry = Registry();
  ASSERT_GT(registry.size(), 60u);
  const std::map<std::string, std::function<Signatures()>> sources = {
      {"include/pipedex/pipedex.h", Header},
      {"docs/api.md", GuideTable},
      {"python/pipedex/__init__.pyi", Stub},
#ifdef PIPEDEX_PYTHON_EXECUTABLE
      {"the built Python module", PythonModule},
#endif
  };
  for (const auto& [where, read] : sources) EXPECT_EQ(Differences(registry, read()), "") << where;
}

}  // namespace
}  // namespace pipedex::testing
