// The batch protocol's table is the registry of the operations: the public
// header, the API guide's table, the Python module and its type stub name the
// same operations with the same parameter names, in the same order. A property
// (AngleTolerance) counts as its getter, without parameters.

#include <gtest/gtest.h>

#include <map>
#include <regex>

#include "protocol.h"
#include "test_support.h"

namespace pipedex::testing {
namespace {

using Signatures = std::map<std::string, std::vector<std::string>>;

std::vector<std::string> Matches(const std::string& text, const std::string& pattern) {
  std::vector<std::string> found;
  const std::regex regex(pattern);
  for (std::sregex_iterator it(text.begin(), text.end(), regex), end; it != end; ++it) found.push_back((*it)[1]);
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

// A text that declares the operations: the part of a file from one marker to
// another ("" for the end), each declaration's name and parameter list (the
// first declaration of an overloaded name counts), and a parameter's name.
struct Declarations {
  const char *file, *from, *to, *declaration, *param;
};
const Declarations kTexts[] = {
    {"include/pipedex/pipedex.h", " Pipedex {\n public:", "\n};", R"(\b([A-Z]\w*)\(([^()]*)\)\s*(?:const\s*)?;)",
     R"((\w+)\s*(?:,|$))"},
    {"docs/api.md", "## The operations by area", "", R"(`(\w+)\(([^()]*)\)`)", R"((\w+))"},
    // Methods named with a capital (the list helpers are lower case), and properties.
    {"python/pipedex/__init__.pyi", "\nclass Pipedex:", "", R"((?:def |\n    )([A-Z]\w*)(?:\(self,?([^()]*)\)|: ))",
     R"((\w+)\s*:)"},
};

Signatures Read(const Declarations& d) {
  std::string text = std::regex_replace(ReadFile(std::string(PIPEDEX_SOURCE_DIR "/") + d.file), std::regex("//[^\n]*"), "");
  const std::size_t begin = text.find(d.from);
  text = text.substr(begin, *d.to ? text.find(d.to, begin) - begin : std::string::npos);
  Signatures found;
  const std::regex declaration(d.declaration);
  for (std::sregex_iterator it(text.begin(), text.end(), declaration), end; it != end; ++it)
    found.emplace((*it)[1], Matches((*it)[2], d.param));
  found.erase("Pipedex");  // the constructors
  return found;
}

// What a source lacks, has besides, or names otherwise than the registry, one line each.
std::string Differences(const Signatures& registry, const Signatures& other) {
  auto list = [](const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& n : names) text += (text.empty() ? "" : ", ") + n;
    return "(" + text + ")";
  };
  std::string lines;
  for (const auto& [name, params] : registry) {
    if (!other.count(name)) lines += "missing " + name + "\n";
    else if (other.at(name) != params) lines += name + list(other.at(name)) + " where the registry has " + list(params) + "\n";
  }
  for (const auto& [name, params] : other)
    if (!registry.count(name)) lines += "extra " + name + "\n";
  return lines;
}

TEST(ProtocolTable, HeaderGuideStubAndPythonModuleNameTheRegistrysOperationsAndParameters) {
  const Signatures registry = Registry();
  ASSERT_GT(registry.size(), 60u);
  for (const Declarations& text : kTexts) EXPECT_EQ(Differences(registry, Read(text)), "") << text.file;
#ifdef PIPEDEX_PYTHON_EXECUTABLE
  // The compiled class as the built module has it: each method's parameters
  // from the signature line of its docstring, each property without parameters.
  // Operations are named with a capital; close and closed are the module's own.
  const std::string script = R"(
import json, re, pipedex._pipedex as m
ops = {}
for name, value in vars(m.Pipedex).items():
    if not name[:1].isupper(): continue
    first = "" if isinstance(value, property) else value.__doc__.splitlines()[0]
    ops[name] = [p for p in re.findall(r"[(,] ?(\w+):", first[:first.rfind(") ->")]) if p != "self"]
print(json.dumps(ops))
)";
  int status = 0;
  const std::string out = Execute(
      "PYTHONPATH=" + Quote(PIPEDEX_PYTHON_PATH) + " " + Quote(PIPEDEX_PYTHON_EXECUTABLE) + " -c " + Quote(script), &status);
  ASSERT_EQ(status, 0) << out;
  EXPECT_EQ(Differences(registry, cli::Json::parse(out).get<Signatures>()), "") << "the built Python module";
#endif
}

// A table built for one name holds that operation alone, bound as in the
// whole table; one built for a name no operation has holds none.
TEST(ProtocolTable, ATableForOneNameHoldsThatOperationAlone) {
  const cli::OperationTable all = cli::BuildOperationTable();
  for (const auto& [name, op] : all.operations()) {
    const cli::OperationTable one = cli::BuildOperationTable(name);
    ASSERT_EQ(one.operations().size(), 1u) << name;
    EXPECT_EQ(cli::Describe(*one.Find(name)), cli::Describe(op)) << name;
  }
  EXPECT_TRUE(cli::BuildOperationTable("NoSuchOperation").operations().empty());
}

}  // namespace
}  // namespace pipedex::testing
