// Operations that change the catalogue: project and user overlays, adding SKEYs.

#include "operation_table.h"

namespace pipedex::cli {

void RegisterOverlayOperations(OperationTable& t) {
  using enum ArgType;
  t.Add("LoadProjectXML", {In("ProjectXML", String)},
        [](Pipedex& p, Args& a) { return Json(p.LoadProjectXML(a.Str(0))); });
  t.Add("LoadUserXML", {In("UserXML", String)}, [](Pipedex& p, Args& a) { return Json(p.LoadUserXML(a.Str(0))); });
  t.Add("AddSKEY", {In("newSKEY", String), In("Description", String), In("RefSKEY", String)}, [](Pipedex& p, Args& a) {
    p.AddSKEY(a.Str(0), a.Str(1), a.Str(2));
    return Json(nullptr);
  });
}

}  // namespace pipedex::cli
