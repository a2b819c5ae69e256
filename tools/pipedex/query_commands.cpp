// `pipedex types`, `pipedex type NAME`, `pipedex skey SKEY` and
// `pipedex endprep CODE`: the catalogue as a person reads it.

#include <iostream>

#include "session.h"

namespace pipedex::cli {
namespace {

// The items of a list as a JSON array.
Json Array(const std::vector<std::string>& items) { return Json(items); }

void AddTypesCommand(CLI::App& app, Session& session) {
  auto* cmd = app.add_subcommand("types", "List component types, optionally of one group or by SKEY, PCF type or configuration");
  struct Options {
    std::string group, skey, pcftype, configuration;
    bool json = false;
  };
  auto o = std::make_shared<Options>();
  cmd->add_option("--group", o->group, "Only component types of this group (letter case matters in a configuration search)");
  auto* skey = cmd->add_option("--skey", o->skey, "Component types drawn with this SKEY (a generic SKEY such as EL** too)");
  auto* pcf = cmd->add_option("--pcftype", o->pcftype, "Component types of this PCF type");
  auto* cfg = cmd->add_option("--configuration", o->configuration, "Component types of this configuration (any letter case)");
  skey->excludes(pcf, cfg);
  pcf->excludes(cfg);
  cmd->add_flag("--json", o->json, "Print the same data as JSON");
  cmd->footer("Example: pipedex types --group Elbows\n         pipedex types --skey ELBW --json");
  cmd->callback([&session, o, pcf, cfg] {
    RunCommand(session, [&] {
      Pipedex& p = session.Instance();
      std::string by = "SKEY", text = o->skey;
      if (*pcf) by = "PCFTYPE", text = o->pcftype;
      if (*cfg) by = "CONFIGURATION", text = o->configuration;
      const std::int32_t count = p.FindComponentTypes(o->group, by, text);
      if (count == 0) return NothingFound(session, "no component types found");
      std::vector<std::vector<Json>> rows;
      for (std::int32_t i = 1; i <= count; ++i) {
        std::string name = p.GetComponentType(i), group, pcfType, configuration, description;
        p.GetComponentTypeData(name, group, pcfType, configuration, description);
        rows.push_back({name, group, pcfType, configuration, description});
      }
      PrintTable({"ComponentType", "Group", "PCFTYPE", "Configuration", "Description"}, rows, o->json);
    });
  });
}

void AddTypeCommand(CLI::App& app, Session& session) {
  auto* cmd = app.add_subcommand("type", "Show one component type: its data, operations, flags and SKEYs");
  auto name = std::make_shared<std::string>();
  auto json = std::make_shared<bool>(false);
  cmd->add_option("name", *name, "Component type name (any letter case)")->required();
  cmd->add_flag("--json", *json, "Print the same data as JSON");
  cmd->footer("Example: pipedex type Elbow-90-V");
  cmd->callback([&session, name, json] {
    RunCommand(session, [&] {
      Pipedex& p = session.Instance();
      std::string group, pcfType, configuration, description;
      if (!p.GetComponentTypeData(*name, group, pcfType, configuration, description))
        return NothingFound(session, "no component type named " + *name);
      std::vector<std::string> operations, flags, skeys;
      for (std::int32_t i = 1, n = p.FindOperations(*name); i <= n; ++i) operations.push_back(p.GetOperation(i));
      for (Flags flag : {flVariable, flArtificial, flIndeterminate})
        if (p.HasFlag(*name, flag)) flags.push_back(p.FlagEnumToString(flag));
      for (std::int32_t i = 1, n = p.FindSKEYs(*name); i <= n; ++i) skeys.push_back(p.GetSKEY(i));
      PrintFields({{"ComponentType", *name},
                   {"Group", group},
                   {"PCFTYPE", pcfType},
                   {"Configuration", configuration},
                   {"Description", description},
                   {"Operations", Array(operations)},
                   {"Flags", Array(flags)},
                   {"SKEYs", Array(skeys)}},
                  *json);
    });
  });
}

void AddSKEYCommand(CLI::App& app, Session& session) {
  auto* cmd = app.add_subcommand("skey", "Show one SKEY: description, category, priority, end preparations, trimmable");
  auto skey = std::make_shared<std::string>();
  auto json = std::make_shared<bool>(false);
  cmd->add_option("skey", *skey, "The SKEY, e.g. ELBW (falls back to its generic form EL** where that applies)")
      ->required();
  cmd->add_flag("--json", *json, "Print the same data as JSON");
  cmd->footer("Example: pipedex skey ELBW\n         pipedex skey PB3D --json");
  cmd->callback([&session, skey, json] {
    RunCommand(session, [&] {
      Pipedex& p = session.Instance();
      std::string description, cp1, cp2, cp3, cp4;
      if (!p.GetSKEYData(*skey, description, cp1, cp2, cp3, cp4))
        return NothingFound(session, "no SKEY " + *skey + " in the catalogue");
      PrintFields({{"SKEY", *skey},
                   {"Description", description},
                   {"Category", p.GetDefaultCategory(*skey)},
                   {"IsoPriority", p.GetIsoPriority(*skey)},
                   {"CP_1_Prep", cp1},
                   {"CP_2_Prep", cp2},
                   {"CP_3_Prep", cp3},
                   {"CP_4_Prep", cp4},
                   {"Trimmable", p.IsTrimmableSKEY(*skey)}},
                  *json);
    });
  });
}

void AddEndPrepCommand(CLI::App& app, Session& session) {
  auto* cmd = app.add_subcommand("endprep", "Show one end preparation: description, flags and default connection");
  auto code = std::make_shared<std::string>();
  auto json = std::make_shared<bool>(false);
  cmd->add_option("code", *code, "The end preparation code exactly as in the catalogue, e.g. BW--")->required();
  cmd->add_flag("--json", *json, "Print the same data as JSON");
  cmd->footer("Example: pipedex endprep BW--");
  cmd->callback([&session, code, json] {
    RunCommand(session, [&] {
      Pipedex& p = session.Instance();
      bool known = false;
      for (std::int32_t i = 1, n = p.EndPrepCount(); i <= n && !known; ++i) known = p.GetEndPrep(i) == *code;
      if (!known) return NothingFound(session, "no end preparation " + *code + " in the catalogue");
      std::string endPrep = *code;
      PrintFields({{"EndPrep", *code},
                   {"Description", p.GetEndPrepDescription(*code)},
                   {"Plotra", p.IsPlotraEndPrep(*code)},
                   {"Trimmable", p.GetEndPrepAttribute(*code, "Trimmable") == "Y"},
                   {"Attribute", p.GetEndPrepAttribute(*code, "Attribute")},
                   {"DefaultAllowedConnection", p.GetDefaultAllowedConnection(endPrep)}},
                  *json);
    });
  });
}

}  // namespace

void AddQueryCommands(CLI::App& app, Session& session, const CommandChoice& choice) {
  if (choice.Wants("types")) AddTypesCommand(app, session);
  if (choice.Wants("type")) AddTypeCommand(app, session);
  if (choice.Wants("skey")) AddSKEYCommand(app, session);
  if (choice.Wants("endprep")) AddEndPrepCommand(app, session);
}

}  // namespace pipedex::cli
