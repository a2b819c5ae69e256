// Loading the catalogue on first use: choose the system file, parse it, merge
// a project file lying beside it, read the language variant of the thread's
// locale and build the lists. A load that fails with "no data path", "file
// not found" or "does not parse" leaves the instance unloaded, so the next
// call searches again.

#include <new>
#include <variant>

#include "base/errors.h"
#include "base/format.h"
#include "base/path_index.h"
#include "base/xml_document.h"
#include "base/xml_utils.h"
#include "instance/pipedex_impl.h"
#include "platform/registry.h"

namespace pipedex {
namespace {

// An error the loader raises itself and hands to the client unchanged,
// outside its general "Unexpected initialisation error" handler.
struct DirectInitError {
  Error error;
};

// The start of the message of every other initialisation failure.
constexpr const char* kUnexpected = "Unexpected initialisation error : ";

std::string JoinPath(const std::string& folder, std::string_view name) {
  return folder + format::kPathSeparator + std::string(name);
}

// The path a registry value names, or "" for none (no value, "" or -1).
std::string PathOfValue(const registry::Value& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* number = std::get_if<std::int32_t>(&value)) return *number == -1 ? "" : std::to_string(*number);
  return "";
}

}  // namespace

void Pipedex::Impl::ChooseSystemFile() {
  const std::string folder = platform->ComponentFolder();
  const std::string beside = JoinPath(folder, format::kSystemFileName);
  const std::string inData = JoinPath(JoinPath(folder, format::kDataFolder), format::kSystemFileName);
  // Beside the component, in its Data folder, else where the registry says.
  std::string named;
  if (platform->FileExists(beside)) {
    named = beside;
  } else if (platform->FileExists(inData)) {
    named = inData;
  } else {
    named = PathOfValue(registry::GetRegistryValue(*platform, format::kRegistryHive, format::kRegistryKey,
                                                   format::kRegistryValue, std::string()));
  }
  if (!named.empty()) {
    if (!platform->FileExists(named)) {
      throw DirectInitError{Error(errors::kDataFileNotFound, errors::kSource,
                                  "Data file specified in registry ( " + named +
                                      " )not found . Reinstall the Zenrod Pipedex component")};
    }
    SystemPath = named;
    return;
  }
  SystemPath = platform->FileExists(inData) ? inData : beside;
  if (!platform->FileExists(SystemPath)) {
    throw DirectInitError{Error(errors::kNoDataPath, errors::kSource,
                                "Path to Pipedex file not specified in registry and it does not exist in "
                                "application directory")};
  }
}

void Pipedex::Impl::FindSystemFile() {
  try {
    ChooseSystemFile();
  } catch (const DirectInitError& e) {
    throw e.error;
  }
}

void Pipedex::Impl::LoadSystemDocument() {
  SystemDoc = std::make_unique<pugi::xml_document>();
  xml::ParseError parseError;
  if (!xml::LoadFile(*SystemDoc, SystemPath, parseError, &SystemContentHash)) {
    throw DirectInitError{
        Error(errors::kParseError, errors::kSource, xml::ParseErrorFrame(errors::kSystemParseHeading, parseError))};
  }
  pugi::xml_node root = xml::FirstChildElement(*SystemDoc, format::kRoot);
  if (!root) errors::RaiseObjectNotSet();
  SystemSymbols = xml::FirstChildElement(root, format::kSymbols);
  NodesHandedOut = false;  // handles into an earlier document do not count
  // From here on the instance counts as loaded, whatever fails later.
  Initialised = true;
  DataRoot = root;
}

std::string Pipedex::Impl::ProjectBesideSystemFile() const {
  return JoinPath(platform->ParentFolder(SystemPath), format::kProjectFileName);
}

void Pipedex::Impl::LoadProjectBesideSystemFile() {
  const std::string projectFile = ProjectBesideSystemFile();
  if (platform->FileExists(projectFile) && !LoadProjectXML(projectFile))
    throw DirectInitError{Error(errors::kUserXmlError, errors::kSource, "Error parsing User XML")};
}

void Pipedex::Impl::BuildOrFail(model::BuildScope scope) {
  if (auto failure = BuildInternalLists(scope))
    throw Error(errors::kBuildLists, errors::kSource, "Unexpected error building internal lists : " + *failure);
}

void Pipedex::Impl::EnsureInitialised(bool fromIndex) {
  ReadFailed = false;
  if (FromIndex) LeaveIndex();  // a question the index cannot answer: the files are loaded after all
  try {
    ProjectPath.clear();  // every attempt starts afresh
    ChooseSystemFile();
    if (fromIndex && OpenIndex()) return;
    const bool keepsIndex = !IndexPath().empty();
    if (keepsIndex) FilesBeforeLoad = IndexStamp(false);
    LoadSystemDocument();
    LoadProjectBesideSystemFile();
    LanguageDoc = LoadLanguageDocument(SystemPath, platform->ThreadLocale());
    BuildOrFail(keepsIndex ? model::BuildScope::IndexedLists : model::BuildScope::Whole);
    if (keepsIndex) {
      // A question the index answers is answered from the index just
      // written, as every later instance answers it: the rest of the
      // catalogue, which only the files answer from, is then never built.
      if (WriteIndex() && fromIndex) {
        ForgetLoad();
        if (!OpenIndex()) EnsureInitialised();
        return;
      }
      model::CompleteCatalogue(DataRoot, *this, *this);
    }
  } catch (const DirectInitError& e) {
    throw e.error;
  } catch (const std::bad_alloc&) {
    ForgetLoad();
    errors::RaiseOutOfMemory();
  } catch (const Error& e) {
    if (errors::IsOutOfMemory(e)) {
      ForgetLoad();
      throw;
    }
    if (ReadFailed) ForgetLoad();
    throw Error(errors::kInitialisation, errors::kSource, std::string(kUnexpected) + e.description());
  } catch (const std::exception& e) {
    throw Error(errors::kInitialisation, errors::kSource, std::string(kUnexpected) + e.what());
  }
}

std::optional<std::string> Pipedex::Impl::BuildInternalLists(model::BuildScope scope) {
  if (auto failure = model::BuildCatalogue(DataRoot, *this, *this, scope)) return failure;
  if (!LanguageDoc || !SystemDoc) return std::nullopt;
  // Language texts last: the indexes keep the catalogue's own names.
  xml::PathIndex systemElements(*SystemDoc);
  for (const std::string& selection : format::TranslatedSelections()) {
    try {
      ApplyLanguageText(systemElements, xml::SelectNodes(*LanguageDoc, selection));
    } catch (...) {
      // A selection whose data fails (a name its path cannot quote) is
      // skipped and the others still apply; running out of memory is no
      // fault of the data and fails the load instead of half applying it.
      errors::RethrowIfNoAnswer();
    }
  }
  return std::nullopt;
}

void Pipedex::Impl::ForgetLoad() {
  // Memory ran out part way: nothing of this attempt is kept, so the next
  // call loads again from the start instead of answering from half a catalogue.
  Initialised = false;
  DataRoot = pugi::xml_node();
  SystemSymbols = pugi::xml_node();
  LanguageDoc.reset();
  SystemDoc.reset();
  ProjectPath.clear();
}

}  // namespace pipedex
