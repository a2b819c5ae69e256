// `pipedex tree [--group G]`: the catalogue as a tree of groups, their
// component types (with PCF type and configuration) and each one's SKEYs.

#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "session.h"

namespace pipedex::cli {
namespace {

struct ComponentTypeRow {
  std::string name, pcfType, configuration;
  std::vector<std::string> skeys;
};

struct GroupBranch {
  std::string name;
  std::vector<ComponentTypeRow> componentTypes;
};

std::string Pad(const std::string& s, std::size_t width) {
  std::size_t w = Width(s);
  return w >= width ? s : s + std::string(width - w, ' ');
}

std::string AsciiUpper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

std::string Join(const std::vector<std::string>& items, const std::string& separator) {
  std::string out;
  for (const auto& item : items) out += (out.empty() ? "" : separator) + item;
  return out;
}

// The groups to show: all of them, or the one named (exactly, else ignoring
// letter case). Empty when the name matches no group.
std::vector<std::string> ChosenGroups(Pipedex& p, const std::string& wanted) {
  std::vector<std::string> all;
  for (std::int32_t i = 1; i <= p.GroupCount(); ++i) all.push_back(p.GetGroup(i));
  if (wanted.empty()) return all;
  if (std::find(all.begin(), all.end(), wanted) != all.end()) return {wanted};
  for (const auto& g : all)
    if (AsciiUpper(g) == AsciiUpper(wanted)) return {g};
  return {};
}

GroupBranch ReadGroup(Pipedex& p, const std::string& group) {
  GroupBranch branch{group, {}};
  std::vector<std::string> names;
  std::int32_t found = p.FindComponentTypes(group, "SKEY", "*");
  for (std::int32_t i = 1; i <= found; ++i) names.push_back(p.GetComponentType(i));
  for (const auto& name : names) {
    ComponentTypeRow row{name, "", "", {}};
    std::string owner, description;
    p.GetComponentTypeData(name, owner, row.pcfType, row.configuration, description);
    std::int32_t skeys = p.FindSKEYs(name);
    for (std::int32_t j = 1; j <= skeys; ++j) row.skeys.push_back(p.GetSKEY(j));
    branch.componentTypes.push_back(std::move(row));
  }
  return branch;
}

void PrintTreeJson(const std::vector<GroupBranch>& tree) {
  Json groups = Json::array();
  for (const auto& g : tree) {
    Json types = Json::array();
    for (const auto& c : g.componentTypes)
      types.push_back({{"ComponentType", c.name},
                       {"PCFTYPE", c.pcfType},
                       {"Configuration", c.configuration},
                       {"SKEYs", c.skeys}});
    groups.push_back({{"Group", g.name}, {"ComponentTypes", std::move(types)}});
  }
  std::cout << Dump(groups) << "\n";
}

// Groups at the left margin, component types below them on tree branches,
// with the PCF type, configuration and SKEYs in aligned columns.
void PrintTreeText(const std::vector<GroupBranch>& tree) {
  const std::string headers[] = {"Group / component type", "PCF type", "Configuration", "SKEYs"};
  std::size_t nameWidth = Width(headers[0]), pcfWidth = Width(headers[1]), configWidth = Width(headers[2]);
  const std::string none = "└─ (no component types)";
  for (const auto& g : tree) {
    nameWidth = std::max({nameWidth, Width(g.name), g.componentTypes.empty() ? Width(none) : 0});
    for (const auto& c : g.componentTypes) {
      nameWidth = std::max(nameWidth, Width(c.name) + 3);
      pcfWidth = std::max(pcfWidth, Width(c.pcfType));
      configWidth = std::max(configWidth, Width(c.configuration));
    }
  }
  auto line = [&](const std::string& name, const std::string& pcf, const std::string& config,
                  const std::string& skeys) {
    std::string text = Pad(name, nameWidth + 2) + Pad(pcf, pcfWidth + 2) + Pad(config, configWidth + 2) + skeys;
    while (!text.empty() && text.back() == ' ') text.pop_back();
    std::cout << text << "\n";
  };
  line(headers[0], headers[1], headers[2], headers[3]);
  line(std::string(nameWidth, '-'), std::string(pcfWidth, '-'), std::string(configWidth, '-'), "-----");
  for (const auto& g : tree) {
    line(g.name, "", "", "");
    if (g.componentTypes.empty()) line(none, "", "", "");
    for (std::size_t i = 0; i < g.componentTypes.size(); ++i) {
      const auto& c = g.componentTypes[i];
      std::string branch = i + 1 < g.componentTypes.size() ? "├─ " : "└─ ";
      line(branch + c.name, c.pcfType, c.configuration, Join(c.skeys, " "));
    }
  }
}

}  // namespace

void AddTreeCommand(CLI::App& app, Session& session, const CommandChoice& choice) {
  if (!choice.Wants("tree")) return;
  auto* tree = app.add_subcommand("tree", "Show the catalogue as a tree: groups, component types, SKEYs");
  auto group = std::make_shared<std::string>();
  auto json = std::make_shared<bool>(false);
  tree->add_option("--group", *group, "Show only this group (its exact name; letter case may differ)");
  tree->add_flag("--json", *json, "Print the same data as JSON: [{\"Group\", \"ComponentTypes\": [...]}]");
  tree->footer(
      "Each component type is shown with its PCF type, its configuration and the SKEYs it lists\n"
      "(a generic SKEY such as EL** stands for every end preparation of its family).\n"
      "Examples: pipedex tree\n"
      "          pipedex tree --group Elbows\n"
      "          pipedex --project ProjectPipedex.xml tree --group ProjectItems --json");
  tree->callback([&session, group, json] {
    RunCommand(session, [&] {
      Pipedex& p = session.Instance();
      std::vector<std::string> groups = ChosenGroups(p, *group);
      if (groups.empty() && !group->empty())
        return NothingFound(session, "no group named \"" + *group + "\" (pipedex groups lists the groups)");
      std::vector<GroupBranch> branches;
      for (const auto& g : groups) branches.push_back(ReadGroup(p, g));
      if (*json)
        PrintTreeJson(branches);
      else
        PrintTreeText(branches);
    });
  });
}

}  // namespace pipedex::cli
