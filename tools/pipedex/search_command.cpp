// `pipedex search TEXT`: TEXT in the names and descriptions of groups,
// component types, SKEYs, end preparations and PCF types.

#include <iostream>

#include "session.h"

namespace pipedex::cli {
namespace {

std::string Folded(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

}  // namespace

void AddSearchCommand(CLI::App& app, Session& session, const CommandChoice& choice) {
  if (!choice.Wants("search")) return;
  auto text = std::make_shared<std::string>();
  auto json = std::make_shared<bool>(false);
  auto* cmd = app.add_subcommand(
      "search", "Find TEXT in the names and descriptions of groups, component types, SKEYs, end preparations, PCF types");
  cmd->add_option("TEXT", *text, "Text to look for (letter case of A-Z ignored)")->required();
  cmd->add_flag("--json", *json, "Print the same data as JSON");
  cmd->footer("Example: pipedex search weld\n         pipedex search ELBW --json\nExit status 1 when nothing matches.");
  cmd->callback([&session, text, json] {
    RunCommand(session, [&] {
      Pipedex& p = session.Instance();
      const std::string wanted = Folded(*text);
      std::vector<std::vector<Json>> rows;
      auto consider = [&](const char* kind, const std::string& name, const std::string& description) {
        if (Folded(name).find(wanted) != std::string::npos || Folded(description).find(wanted) != std::string::npos)
          rows.push_back({kind, name, description});
      };
      std::vector<std::string> groups;
      for (std::int32_t i = 1, n = p.GroupCount(); i <= n; ++i) groups.push_back(p.GetGroup(i));
      for (const auto& group : groups) consider("Group", group, p.GetGroupAttribute(group, "Description"));
      for (const auto& group : groups) {
        std::vector<std::string> types;
        for (std::int32_t i = 1, n = p.FindComponentTypes(group, "SKEY", ""); i <= n; ++i)
          types.push_back(p.GetComponentType(i));
        for (const auto& type : types) consider("ComponentType", type, p.GetComponentTypeAttribute(type, "Description"));
      }
      for (std::int32_t i = 1, n = p.SKEYCount(); i <= n; ++i) {
        std::string skey = p.GetSKEY(i), description, cp1, cp2, cp3, cp4;
        p.GetSKEYData(skey, description, cp1, cp2, cp3, cp4);
        consider("SKEY", skey, description);
      }
      for (std::int32_t i = 1, n = p.EndPrepCount(); i <= n; ++i)
        consider("EndPrep", p.GetEndPrep(i), p.GetEndPrepDescription(p.GetEndPrep(i)));
      for (std::int32_t i = 1, n = p.FindPCFTYPEs("", 999); i <= n; ++i) consider("PCFTYPE", p.GetPCFTYPE(i), "");
      if (rows.empty()) return NothingFound(session, "nothing matches \"" + *text + "\"");
      PrintTable({"Kind", "Name", "Description"}, rows, *json);
    });
  });
}

}  // namespace pipedex::cli
