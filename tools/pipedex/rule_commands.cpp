// Human commands of the geometry and rules area: `elbow`, `elbows`,
// `pcftypes`, `validate` and `bore`.

#include <cctype>

#include "session.h"

namespace pipedex::cli {
namespace {

bool EndsWithV(const std::string& componentType) {
  return componentType.size() >= 2 && componentType.compare(componentType.size() - 2, 2, "-V") == 0;
}

void AddElbowCommand(CLI::App& app, Session& session) {
  auto* cmd = app.add_subcommand("elbow", "Choose the catalogue elbow that stands for a bend angle");
  auto angle = std::make_shared<double>(0.0);
  auto type = std::make_shared<std::string>();
  auto skey = std::make_shared<std::string>();
  auto json = std::make_shared<bool>(false);
  cmd->add_option("ANGLE", *angle, "Bend angle in degrees")->required();
  cmd->add_option("--type", *type, "Component type of the bend (a name ending in -V has trimmable ends)");
  cmd->add_option("--skey", *skey, "SKEY: also choose the component type that carries it for the angle");
  cmd->add_flag("--json", *json, "Print the same data as JSON");
  cmd->footer("Example: pipedex elbow 50 --type Elbow-90-V\n         pipedex elbow 44.5 --skey ELBW --json");
  cmd->callback([&session, angle, type, skey, json] {
    RunCommand(session, [&] {
      Pipedex& p = session.Instance();
      const std::string endPrep = EndsWithV(*type) ? "BW" : "**";
      bool trimmed = false;
      double standardAngle = 0;
      std::string standardType;
      p.GetAngleComponentData2(*type, endPrep, endPrep, *angle, trimmed, standardAngle, standardType);
      std::vector<std::pair<std::string, Json>> fields = {
          {"Angle", *angle},
          {"Configuration", p.GetConfigurationForAngle(*angle)},
          {"ComponentType", standardType},
          {"StandardAngle", standardAngle},
          {"Trimmed", trimmed},
      };
      if (!skey->empty()) {
        bool skeyTrimmed = false;
        std::string byAngle = p.GetComponentTypeByAngle(*skey, *angle, skeyTrimmed);
        fields.push_back({"ComponentTypeByAngle", byAngle.empty() ? Json(nullptr) : Json(byAngle)});
        fields.push_back({"TrimmedByAngle", skeyTrimmed});
      }
      PrintFields(fields, *json);
    });
  });
}

void AddElbowsCommand(CLI::App& app, Session& session) {
  auto* cmd = app.add_subcommand("elbows", "List the default elbows with the angles worked out from their geometry");
  auto json = std::make_shared<bool>(false);
  cmd->add_flag("--json", *json, "Print the same data as JSON");
  cmd->footer("Example: pipedex elbows\n"
              "An elbow whose geometry gives no angle is listed with angle 0.");
  cmd->callback([&session, json] {
    RunCommand(session, [&] {
      std::vector<std::vector<Json>> rows;
      for (const DefaultElbowInfo& e : session.Instance().DefaultElbows()) rows.push_back({e.ComponentType, e.Angle});
      PrintTable({"ComponentType", "Angle"}, rows, *json);
    });
  });
}

void AddPCFTypesCommand(CLI::App& app, Session& session) {
  auto* cmd = app.add_subcommand("pcftypes", "List the PCF types that fit an SKEY and an IDF record");
  auto skey = std::make_shared<std::string>();
  auto record = std::make_shared<std::int32_t>(999);
  auto json = std::make_shared<bool>(false);
  cmd->add_option("--skey", *skey, "SKEY (empty or * for any)");
  cmd->add_option("--record", *record, "IDF record number (999 for any)");
  cmd->add_flag("--json", *json, "Print the same data as JSON");
  cmd->footer("Example: pipedex pcftypes --skey ELBW --record 105\n         pipedex pcftypes --record 130 --json");
  cmd->callback([&session, skey, record, json] {
    RunCommand(session, [&] {
      Pipedex& p = session.Instance();
      const std::int32_t count = p.FindPCFTYPEs(*skey, *record);
      if (count == 0) return NothingFound(session, "no PCF types found");
      std::vector<std::vector<Json>> rows;
      for (std::int32_t i = 1; i <= count; ++i) rows.push_back({i, p.GetPCFTYPE(i)});
      PrintTable({"Index", "PCFTYPE"}, rows, *json);
    });
  });
}

void AddValidateCommand(CLI::App& app, Session& session) {
  auto* cmd = app.add_subcommand("validate", "Check a PCF type / SKEY pair and fit the other value to the master");
  auto pcfType = std::make_shared<std::string>();
  auto skey = std::make_shared<std::string>();
  auto master = std::make_shared<std::string>("pcftype");
  auto json = std::make_shared<bool>(false);
  cmd->add_option("PCFTYPE", *pcfType, "PCF type")->required();
  cmd->add_option("SKEY", *skey, "SKEY")->required();
  cmd->add_option("--master", *master, "Which value stays fixed")
      ->check(CLI::IsMember({"pcftype", "skey"}, CLI::ignore_case));
  cmd->add_flag("--json", *json, "Print the same data as JSON");
  cmd->footer("Example: pipedex validate VALVE ELBW\n         pipedex validate FLANGE ELBW --master skey");
  cmd->callback([&session, pcfType, skey, master, json] {
    RunCommand(session, [&] {
      std::string m = *master;
      for (char& c : m) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      const bool skeyMaster = m == "skey";
      std::string validData, validComponentType;
      const ValidDataReturn r = session.Instance().GetValidData(*pcfType, *skey, skeyMaster ? vdM_SKEY : vdM_PCFTYPE,
                                                                validData, validComponentType);
      const char* answer = r == vdR_OK ? "OK" : r == vdR_MODIFIED ? "MODIFIED" : "FAIL";
      PrintFields({{"Result", answer},
                   {"ValidData", validData},
                   {"ValidComponentType", validComponentType}},
                  *json);
    });
  });
}

void AddBoreCommand(CLI::App& app, Session& session) {
  auto* cmd = app.add_subcommand("bore", "Convert a nominal bore between millimetres and inches");
  auto value = std::make_shared<double>(0.0);
  auto from = std::make_shared<std::string>();
  auto to = std::make_shared<std::string>();
  auto json = std::make_shared<bool>(false);
  cmd->add_option("VALUE", *value, "Bore")->required();
  const auto units = CLI::IsMember({"MM", "IN", "\""}, CLI::ignore_case, CLI::ignore_space);
  cmd->add_option("FROM", *from, "Current units: MM, IN or \"")->required()->check(units);
  cmd->add_option("TO", *to, "Required units: MM, IN or \"")->required()->check(units);
  cmd->add_flag("--json", *json, "Print the same data as JSON");
  cmd->footer("Example: pipedex bore 2 IN MM\n"
              "The bore table of the catalogue decides; without a row the factor is 25 mm to the inch.");
  cmd->callback([&session, value, from, to, json] {
    RunCommand(session, [&] {
      const double converted = session.Instance().GetConvertedBore(*to, *from, *value);
      PrintFields({{"Bore", *value}, {"CurrentUnits", *from}, {"RequiredUnits", *to}, {"ConvertedBore", converted}},
                  *json);
    });
  });
}

}  // namespace

void AddRuleCommands(CLI::App& app, Session& session, const CommandChoice& choice) {
  if (choice.Wants("elbow")) AddElbowCommand(app, session);
  if (choice.Wants("elbows")) AddElbowsCommand(app, session);
  if (choice.Wants("pcftypes")) AddPCFTypesCommand(app, session);
  if (choice.Wants("validate")) AddValidateCommand(app, session);
  if (choice.Wants("bore")) AddBoreCommand(app, session);
}

}  // namespace pipedex::cli
