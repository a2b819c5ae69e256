// The Pipedex object: construction, lazy initialisation, the path properties
// and saving the merged document.

#include <variant>

#include "core/errors.h"
#include "core/format.h"
#include "core/pipedex_impl.h"
#include "core/registry.h"
#include "core/text.h"

namespace pipedex {
namespace {

// An error the initialiser raises itself and hands to the client unchanged,
// outside its general "Unexpected initialisation error" handler.
struct DirectInitError {
  Error error;
};

std::string JoinPath(const std::string& folder, std::string_view name) {
  return folder + format::kPathSeparator + std::string(name);
}

}  // namespace

Pipedex::Pipedex() : Pipedex(MakeSystemPlatform()) {}
Pipedex::Pipedex(std::shared_ptr<Platform> platform) : impl_(std::make_unique<Impl>(std::move(platform))) {}
Pipedex::~Pipedex() = default;
Pipedex::Pipedex(Pipedex&&) noexcept = default;
Pipedex& Pipedex::operator=(Pipedex&&) noexcept = default;

std::string GenericSKEY(std::string_view SKEY) { return text::Left(SKEY, 2) + "**"; }

void Pipedex::Impl::EnsureInitialised() {
  try {
    // 1. Every attempt starts afresh.
    ProjectPath.clear();
    const std::string folder = platform->ComponentFolder();
    const std::string beside = JoinPath(folder, format::kSystemFileName);
    const std::string inData = JoinPath(JoinPath(folder, format::kDataFolder), format::kSystemFileName);

    // 2. First candidate: beside the component, in its Data folder, else the registry.
    registry::Value candidate;
    if (platform->FileExists(beside)) {
      candidate = beside;
    } else if (platform->FileExists(inData)) {
      candidate = inData;
    } else {
      candidate = registry::GetRegistryValue(*platform, format::kRegistryHive, format::kRegistryKey,
                                             format::kRegistryValue, std::string());
    }

    // 3. No usable candidate: the data folder, then beside the component, else fail.
    const auto* asText = std::get_if<std::string>(&candidate);
    const auto* asNumber = std::get_if<std::int32_t>(&candidate);
    bool noValue = std::holds_alternative<std::monostate>(candidate) || (asText && asText->empty()) ||
                   (asNumber && *asNumber == -1);
    if (noValue) {
      if (platform->FileExists(inData)) {
        SystemPath = inData;
      } else if (platform->FileExists(beside)) {
        SystemPath = beside;
      } else {
        SystemPath = beside;
        throw DirectInitError{Error(errors::kNoDataPath, kSource,
                                    "Path to Pipedex file not specified in registry and it does not exist in "
                                    "application directory")};
      }
    } else {
      std::string path = asText ? *asText : std::to_string(*asNumber);
      if (!platform->FileExists(path)) {
        throw DirectInitError{Error(errors::kDataFileNotFound, kSource,
                                    "Data file specified in registry ( " + path +
                                        " )not found . Reinstall the Zenrod Pipedex component")};
      }
      SystemPath = path;
    }

    // 4. Load the system file.
    SystemDoc = std::make_unique<pugi::xml_document>();
    xml::ParseError parseError;
    if (!xml::LoadFile(*SystemDoc, SystemPath, parseError)) {
      throw DirectInitError{
          Error(errors::kParseError, kSource, xml::ParseErrorFrame("Error parsing Zenrod XML Data", parseError))};
    }

    // 5.1 The root element and its SYMBOLS section.
    pugi::xml_node root = xml::FirstChildElement(*SystemDoc, format::kRoot);
    if (!root) RaiseObjectNotSet();
    SystemSymbols = xml::FirstChildElement(root, format::kSymbols);
    // 5.2, 5.3
    Initialised = true;
    DataRoot = root;

    // 5.4 The project file beside the system file.
    const std::string projectFile = JoinPath(platform->ParentFolder(SystemPath), format::kProjectFileName);
    if (platform->FileExists(projectFile)) {
      if (!LoadProjectXML(projectFile))
        throw DirectInitError{Error(errors::kUserXmlError, kSource, "Error parsing User XML")};
    }

    // 5.5 The language variant of the thread's locale.
    LanguageDoc = LoadLanguageDocument(SystemPath, format::kLanguageBaseName, platform->ThreadLocale());

    // 5.6 The index lists (with the language texts).
    if (!BuildInternalLists())
      throw Error(errors::kBuildLists, kSource, "Unexpected error building internal lists : " + LastBuildError);
  } catch (const DirectInitError& e) {
    throw e.error;
  } catch (const Error& e) {
    throw Error(errors::kInitialisation, kSource, "Unexpected initialisation error : " + e.description());
  } catch (const std::exception& e) {
    throw Error(errors::kInitialisation, kSource, std::string("Unexpected initialisation error : ") + e.what());
  }
}

std::string Pipedex::SystemXMLPath() {
  impl_->Initialise();
  return impl_->SystemPath;
}

std::string Pipedex::ProjectXMLPath() {
  impl_->Initialise();
  return impl_->ProjectPath;
}

std::string Pipedex::UserXMLPath() { return ProjectXMLPath(); }

void Pipedex::DumpXML(const std::string& FileName) {
  impl_->Initialise();
  xml::SaveFile(*impl_->SystemDoc, FileName);
}

}  // namespace pipedex
