#pragma once

// Where an instance's catalogue came from, and the save of its merged document.

#include <string>

#include "instance/pipedex_impl.h"

namespace pipedex::instance {

// The system file's path, after loading the catalogue.
std::string SystemXMLPath(Impl& impl);
// The last project or user file merged, "" when none; after loading the catalogue.
std::string ProjectXMLPath(Impl& impl);
// Writes the merged system document to the file, after loading the catalogue.
void DumpXML(Impl& impl, const std::string& FileName);

}  // namespace pipedex::instance
