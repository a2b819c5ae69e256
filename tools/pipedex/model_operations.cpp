// Operations of the data model: the counts, the indexed getters and the
// PCF/IDF attribute map.

#include "operation_table.h"

namespace pipedex::cli {

void RegisterModelOperations(OperationTable& t) {
  using enum ArgType;
  using Count = std::int32_t (Pipedex::*)();
  using Getter = std::string (Pipedex::*)(std::int32_t);

  const std::pair<const char*, Count> counts[] = {
      {"GroupCount", &Pipedex::GroupCount},         {"ComponentTypeCount", &Pipedex::ComponentTypeCount},
      {"SKEYCount", &Pipedex::SKEYCount},           {"ConfigurationCount", &Pipedex::ConfigurationCount},
      {"EndPrepCount", &Pipedex::EndPrepCount},     {"OperationCount", &Pipedex::OperationCount},
      {"PCFTYPECount", &Pipedex::PCFTYPECount},
  };
  for (const auto& [name, count] : counts)
    t.Add(name, {}, [count](Pipedex& p, Args&) { return Json((p.*count)()); });

  const std::pair<const char*, Getter> getters[] = {
      {"GetGroup", &Pipedex::GetGroup},       {"GetComponentType", &Pipedex::GetComponentType},
      {"GetSKEY", &Pipedex::GetSKEY},         {"GetConfiguration", &Pipedex::GetConfiguration},
      {"GetEndPrep", &Pipedex::GetEndPrep},   {"GetOperation", &Pipedex::GetOperation},
  };
  for (const auto& [name, getter] : getters)
    t.Add(name, {In("index", Long)}, [getter](Pipedex& p, Args& a) { return Json((p.*getter)(a.Long(0))); });

  t.Add("PCFAttributeCheck", {In("strAttribute", String)},
        [](Pipedex& p, Args& a) { return Json(static_cast<std::int32_t>(p.PCFAttributeCheck(a.Str(0)))); });
  t.Add("GetPCFAttribute", {In("IDFAttribute", Long)},
        [](Pipedex& p, Args& a) { return Json(p.GetPCFAttribute(a.Long(0))); });
  t.Add("GetIDFAttribute", {In("PCFAttribute", String)},
        [](Pipedex& p, Args& a) { return Json(p.GetIDFAttribute(a.Str(0))); });
}

}  // namespace pipedex::cli
