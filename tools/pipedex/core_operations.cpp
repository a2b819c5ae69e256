// Operations of the component core: file paths and saving the merged document.

#include "operation_table.h"

namespace pipedex::cli {

void RegisterCoreOperations(OperationTable& t) {
  using enum ArgType;
  t.Add("SystemXMLPath", {}, [](Pipedex& p, Args&) { return Json(p.SystemXMLPath()); });
  t.Add("ProjectXMLPath", {}, [](Pipedex& p, Args&) { return Json(p.ProjectXMLPath()); });
  t.Add("UserXMLPath", {}, [](Pipedex& p, Args&) { return Json(p.UserXMLPath()); });
  t.Add("DumpXML", {In("FileName", String)}, [](Pipedex& p, Args& a) {
    p.DumpXML(a.Str(0));
    return Json(nullptr);
  });
}

}  // namespace pipedex::cli
