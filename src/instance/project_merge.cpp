// Loading a project or user file: its sections merged into the system
// document (instance/overlay_merge.cpp), followed by a rebuild of the index
// lists. The initialiser uses it for the project file beside the system file,
// LoadProjectXML for any other.

#include "base/errors.h"
#include "base/format.h"
#include "base/xml_document.h"
#include "base/xml_utils.h"
#include "instance/overlay_merge.h"
#include "instance/pipedex_impl.h"

namespace pipedex {

bool Pipedex::Impl::LoadProjectXML(const std::string& path) {
  if (path.find('\0') != std::string::npos || !platform->FileExists(path))
    throw Error(errors::kProjectNotFound, errors::kSource, "Specified Project XML Data (" + path + ") does not exist");

  ProjectDoc = std::make_shared<pugi::xml_document>();
  xml::ParseError parseError;
  if (!xml::LoadFile(*ProjectDoc, path, parseError)) {
    ReadFailed = ReadFailed || parseError.unreadable;
    throw Error(errors::kProjectParse, errors::kSource, xml::ParseErrorFrame("Error parsing Project XML Data", parseError));
  }

  // A file that parses always leads to a rebuild, even when the merge reports false.
  // The tables read by value refer to rows and texts the merge may replace:
  // until the rebuild (which a merge that throws never reaches) they are dropped.
  Tables.Clear();
  try {
    const bool merged = MergeProjectDocument();
    BuildInternalLists();
    ProjectPath = path;
    return merged;
  } catch (const std::exception&) {
    try {
      errors::RethrowIfNoAnswer();
    } catch (const Error&) {
      ForgetLoad();  // half a merge is no catalogue to answer from
      throw;
    }
    ProjectPath.clear();
    return false;
  }
}

bool Pipedex::Impl::MergeProjectDocument() {
  try {
    if (!ProjectDoc) return false;
    const pugi::xml_node root = ProjectDoc->document_element();
    if (!instance::MergeOverlay(root, DataRoot)) return false;

    // The project's symbols stay in the project document, which is kept alive with them.
    ProjectSymbols = xml::FirstChildElement(root, format::kSymbols);
    ProjectSymbolsDoc = ProjectSymbols ? ProjectDoc : nullptr;
    return true;
  } catch (const std::exception&) {
    errors::RethrowIfNoAnswer();
    return false;
  }
}

}  // namespace pipedex
