// The batch protocol's table, the public header and the API guide name the
// same operations, and the table's parameter names are the header's.

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>

#include "protocol.h"
#include "test_support.h"

namespace pipedex::testing {
namespace {

// The members of class Pipedex in the header, each with its parameter names
// (an overloaded member keeps the declaration with the most parameters).
std::map<std::string, std::vector<std::string>> HeaderMembers() {
  std::string header = ReadFile(PIPEDEX_SOURCE_DIR "/include/pipedex/pipedex.h");
  header = std::regex_replace(header, std::regex("//[^\n]*"), "");
  const auto begin = header.find(" Pipedex {\n public:");
  const std::string body = header.substr(begin, header.find("\n};", begin) - begin);
  std::map<std::string, std::vector<std::string>> members;
  const std::regex declaration(R"(\b(\w+)\(([^()]*)\)\s*(const\s*)?;)");
  for (std::sregex_iterator it(body.begin(), body.end(), declaration), end; it != end; ++it) {
    const std::string name = (*it)[1], params = (*it)[2];
    if (name == "Pipedex" || name.starts_with("operator")) continue;
    std::vector<std::string> names;
    const std::regex last(R"((\w+)\s*(,|$))");
    for (std::sregex_iterator p(params.begin(), params.end(), last); p != std::sregex_iterator(); ++p)
      names.push_back((*p)[1]);
    if (names.size() >= members[name].size()) members[name] = names;
  }
  return members;
}

TEST(ProtocolTable, NamesTheHeadersMembersAndTheGuidesOperations) {
  const cli::OperationTable table = cli::BuildOperationTable();
  const auto header = HeaderMembers();
  std::map<std::string, std::vector<std::string>> inTable;  // a property has the parameter of its setter
  std::set<std::string> names;
  for (const auto& [name, op] : table.operations()) {
    names.insert(name);
    std::vector<std::string>& params = inTable[name];
    for (const cli::Param& p : op.params) params.push_back(p.name);
    if (table.FindSetter(name) && header.count(name)) params = header.at(name);
  }
  EXPECT_EQ(inTable, header);

  const std::string guide = ReadFile(PIPEDEX_SOURCE_DIR "/docs/api.md");
  const std::string byArea = guide.substr(guide.find("## The operations by area"));
  std::set<std::string> inGuide;
  const std::regex name("`(\\w+)`");
  for (std::sregex_iterator it(byArea.begin(), byArea.end(), name), end; it != end; ++it) inGuide.insert((*it)[1]);
  EXPECT_EQ(names, inGuide);
}

}  // namespace
}  // namespace pipedex::testing
