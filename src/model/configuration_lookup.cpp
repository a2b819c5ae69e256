#include "model/configuration_lookup.h"

#include "base/errors.h"
#include "base/format.h"
#include "base/xml_document.h"
#include "base/xml_utils.h"

namespace pipedex::model {

pugi::xml_node FindConfigurationChild(pugi::xml_node root, std::string_view configuration, std::string_view child) {
  if (!root) detail::RaiseObjectNotSet();
  xml::Quoted(configuration);
  xml::ElementName(child);
  // The children of earlier Config elements come first in document order, so
  // the first Config that matches and has such a child gives the answer.
  for (pugi::xml_node section = root.first_child(); section; section = section.next_sibling()) {
    if (section.type() != pugi::node_element || std::string_view(section.name()) != format::kConfigurationSection)
      continue;
    for (pugi::xml_node config = section.first_child(); config; config = config.next_sibling()) {
      if (config.type() != pugi::node_element || std::string_view(config.name()) != format::kConfig) continue;
      pugi::xml_node found = xml::FirstChildElement(config, child);
      if (found && xml::Text(config).find(configuration) != std::string::npos) return found;
    }
  }
  return {};
}

}  // namespace pipedex::model
