// Human commands of the data model: `pipedex groups`, `skeys`, `endpreps`,
// `attribute NAME` and `record N`.

#include <functional>
#include <memory>

#include "session.h"

namespace pipedex::cli {
namespace {

// The words of an attribute check answer.
std::string CheckText(AttCheck check) {
  switch (check) {
    case attIsValid: return "valid";
    case attIsSuppressed: return "suppressed";
    case attIsNotRecognised: return "not recognised";
    case attDisplayNameIsValid: return "valid, exported by display name";
  }
  return std::to_string(static_cast<std::int32_t>(check));
}

// A command listing one catalogue section: a count, then the items by index
// with the columns `more` gives for each.
void AddListCommand(CLI::App& app, Session& session, const std::string& name, const std::string& help,
                    std::vector<std::string> headers, std::int32_t (Pipedex::*count)(),
                    std::string (Pipedex::*item)(std::int32_t),
                    std::function<std::vector<Json>(Pipedex&, const std::string&)> more) {
  auto* cmd = app.add_subcommand(name, help);
  auto json = std::make_shared<bool>(false);
  cmd->add_flag("--json", *json, "Print the same data as JSON");
  cmd->footer("Example: pipedex " + name + "\n         pipedex " + name + " --json");
  cmd->callback([&session, json, headers, count, item, more] {
    RunCommand(session, [&] {
      Pipedex& p = session.Instance();
      std::vector<std::vector<Json>> rows;
      const std::int32_t n = (p.*count)();
      for (std::int32_t i = 1; i <= n; ++i) {
        const std::string value = (p.*item)(i);
        std::vector<Json> row = {i, value};
        for (Json& cell : more(p, value)) row.push_back(std::move(cell));
        rows.push_back(std::move(row));
      }
      PrintTable(headers, rows, *json);
    });
  });
}

void AddAttributeCommand(CLI::App& app, Session& session) {
  auto* attribute = app.add_subcommand("attribute", "Check a PCF attribute name and show its IDF record number");
  auto attName = std::make_shared<std::string>();
  auto attJson = std::make_shared<bool>(false);
  attribute->add_option("NAME", *attName, "PCF attribute name, e.g. ITEM-CODE or ATTRIBUTE6")->required();
  attribute->add_flag("--json", *attJson, "Print the same data as JSON");
  attribute->footer("Example: pipedex attribute ATTRIBUTE6\n"
                    "IDFAttribute is -9999 when the name maps to no record; exit status 1 when it is not recognised.");
  attribute->callback([&session, attName, attJson] {
    RunCommand(session, [&] {
      Pipedex& p = session.Instance();
      const AttCheck check = p.PCFAttributeCheck(*attName);
      if (check == attIsNotRecognised) return NothingFound(session, "PCF attribute " + *attName + " is not recognised");
      const std::int32_t record = p.GetIDFAttribute(*attName);
      PrintFields({{"PCFAttribute", *attName},
                   {"PCFAttributeCheck", static_cast<std::int32_t>(check)},
                   {"Check", CheckText(check)},
                   {"IDFAttribute", record}},
                  *attJson);
    });
  });
}

void AddRecordCommand(CLI::App& app, Session& session) {
  auto* record = app.add_subcommand("record", "Show the PCF attribute name of an IDF attribute record number");
  auto recordNumber = std::make_shared<std::int32_t>(0);
  auto recordJson = std::make_shared<bool>(false);
  record->add_option("N", *recordNumber, "IDF record number, e.g. 495")->required();
  record->add_flag("--json", *recordJson, "Print the same data as JSON");
  record->footer("Example: pipedex record 495\nExit status 1 when no mapping holds the record.");
  record->callback([&session, recordNumber, recordJson] {
    RunCommand(session, [&] {
      const std::string attribute = session.Instance().GetPCFAttribute(*recordNumber);
      if (attribute.empty())
        return NothingFound(session, "no PCF attribute maps to IDF record " + std::to_string(*recordNumber));
      PrintFields({{"IDFAttribute", *recordNumber}, {"PCFAttribute", attribute}}, *recordJson);
    });
  });
}

}  // namespace

void AddModelCommands(CLI::App& app, Session& session, const CommandChoice& choice) {
  if (choice.Wants("groups"))
    AddListCommand(app, session, "groups", "List the component type groups of the catalogue with their descriptions",
                   {"Index", "Group", "Description"}, &Pipedex::GroupCount, &Pipedex::GetGroup,
                   [](Pipedex& p, const std::string& g) {
                     return std::vector<Json>{p.GetGroupAttribute(g, "Description")};
                   });
  if (choice.Wants("skeys"))
    AddListCommand(app, session, "skeys", "List the SKEYs defined in the catalogue with descriptions and categories",
                   {"Index", "SKEY", "Description", "Category"}, &Pipedex::SKEYCount, &Pipedex::GetSKEY,
                   [](Pipedex& p, const std::string& skey) {
                     std::string description, cp1, cp2, cp3, cp4;
                     p.GetSKEYData(skey, description, cp1, cp2, cp3, cp4);
                     return std::vector<Json>{description, p.GetDefaultCategory(skey)};
                   });
  if (choice.Wants("endpreps"))
    AddListCommand(app, session, "endpreps", "List the end preparation codes of the catalogue with their descriptions",
                   {"Index", "EndPrep", "Description"}, &Pipedex::EndPrepCount, &Pipedex::GetEndPrep,
                   [](Pipedex& p, const std::string& e) { return std::vector<Json>{p.GetEndPrepDescription(e)}; });
  if (choice.Wants("attribute")) AddAttributeCommand(app, session);
  if (choice.Wants("record")) AddRecordCommand(app, session);
}

}  // namespace pipedex::cli
