#pragma once

// The default geometry or data entry of a configuration name, as the
// catalogue finds it: the first CHILD element, in document order, of the
// Config elements of A_CONFIGURATION whose text contains the name,
//   A_CONFIGURATION/Config[contains(.,'NAME')]/CHILD
// evaluated by walking the Config elements in order and stopping at the
// first match, instead of through the XPath engine (which would test every
// Config element of the catalogue for every question).

#include <string_view>

#include <pugixml.hpp>

namespace pipedex::model {

// `root` is the catalogue's root element. A name containing an apostrophe
// makes the written expression invalid, and raises the same error here.
// Raises error 91 when root is empty.
pugi::xml_node FindConfigurationChild(pugi::xml_node root, std::string_view configuration, std::string_view child);

}  // namespace pipedex::model
