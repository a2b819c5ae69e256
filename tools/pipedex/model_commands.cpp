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

// A command listing one catalogue section: a count, then the items by index.
void AddListCommand(CLI::App& app, Session& session, const std::string& name, const std::string& help,
                    const std::string& header, std::int32_t (Pipedex::*count)(),
                    std::string (Pipedex::*item)(std::int32_t)) {
  auto* cmd = app.add_subcommand(name, help);
  auto json = std::make_shared<bool>(false);
  cmd->add_flag("--json", *json, "Print the same data as JSON");
  cmd->footer("Example: pipedex " + name + "\n         pipedex " + name + " --json");
  cmd->callback([&session, json, header, count, item] {
    RunCommand(session, [&] {
      Pipedex& p = session.Instance();
      std::vector<std::vector<std::string>> rows;
      const std::int32_t n = (p.*count)();
      for (std::int32_t i = 1; i <= n; ++i) rows.push_back({std::to_string(i), (p.*item)(i)});
      PrintTable({"Index", header}, rows, *json);
    });
  });
}

}  // namespace

void AddModelCommands(CLI::App& app, Session& session) {
  AddListCommand(app, session, "groups", "List the component type groups of the catalogue", "Group",
                 &Pipedex::GroupCount, &Pipedex::GetGroup);
  AddListCommand(app, session, "skeys", "List the SKEYs defined in the catalogue", "SKEY", &Pipedex::SKEYCount,
                 &Pipedex::GetSKEY);
  AddListCommand(app, session, "endpreps", "List the end preparation codes of the catalogue", "End preparation",
                 &Pipedex::EndPrepCount, &Pipedex::GetEndPrep);

  auto* attribute = app.add_subcommand("attribute", "Check a PCF attribute name and show its IDF record number");
  auto attName = std::make_shared<std::string>();
  auto attJson = std::make_shared<bool>(false);
  attribute->add_option("NAME", *attName, "PCF attribute name, e.g. ITEM-CODE or ATTRIBUTE6")->required();
  attribute->add_flag("--json", *attJson, "Print the same data as JSON");
  attribute->footer("Example: pipedex attribute ATTRIBUTE6\n"
                    "The IDF record is -9999 when the name maps to no record.");
  attribute->callback([&session, attName, attJson] {
    RunCommand(session, [&] {
      Pipedex& p = session.Instance();
      const AttCheck check = p.PCFAttributeCheck(*attName);
      const std::int32_t record = p.GetIDFAttribute(*attName);
      PrintFields({{"Attribute", *attName},
                   {"Check", std::to_string(static_cast<std::int32_t>(check)) + " (" + CheckText(check) + ")"},
                   {"IDF record", std::to_string(record)}},
                  *attJson);
    });
  });

  auto* record = app.add_subcommand("record", "Show the PCF attribute name of an IDF attribute record number");
  auto recordNumber = std::make_shared<std::int32_t>(0);
  auto recordJson = std::make_shared<bool>(false);
  record->add_option("N", *recordNumber, "IDF record number, e.g. 495")->required();
  record->add_flag("--json", *recordJson, "Print the same data as JSON");
  record->footer("Example: pipedex record 495\nThe PCF attribute is empty when no mapping holds the record.");
  record->callback([&session, recordNumber, recordJson] {
    RunCommand(session, [&] {
      Pipedex& p = session.Instance();
      PrintFields({{"IDF record", std::to_string(*recordNumber)},
                   {"PCF attribute", p.GetPCFAttribute(*recordNumber)}},
                  *recordJson);
    });
  });
}

}  // namespace pipedex::cli
