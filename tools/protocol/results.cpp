// The JSON form of the results that are not plain values.

#include <sstream>

#include "bind.h"

namespace pipedex::cli {

Json ResultJson(pugi::xml_node node) {
  if (!node) return nullptr;
  std::ostringstream out;
  node.print(out, "", pugi::format_raw, pugi::encoding_utf8);
  return out.str();
}

Json ResultJson(const std::vector<DefaultElbowInfo>& elbows) {
  Json list = Json::array();
  for (const DefaultElbowInfo& e : elbows) {
    Json elbow = Json::object();
    elbow["ComponentType"] = e.ComponentType;
    elbow["Angle"] = e.Angle;
    list.push_back(std::move(elbow));
  }
  return list;
}

}  // namespace pipedex::cli
