// Supplying a platform: where the component looks for its catalogue, which
// language it uses, and what it does when it finds nothing.
//
//   platform CATALOGUE_FOLDER
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <pipedex/pipedex.h>

namespace {

// An application that keeps its catalogue in a folder of its own and has no
// registry: every registry key is missing.
class AppPlatform : public pipedex::Platform {
 public:
  explicit AppPlatform(std::string folder) : folder_(std::move(folder)) {}

  bool FileExists(const std::string& path) override {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
  }
  std::string ParentFolder(const std::string& path) override {
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? "" : path.substr(0, slash);
  }
  std::string ComponentFolder() override { return folder_; }
  pipedex::LocaleNames ThreadLocale() override { return {"en", "GB"}; }
  std::int32_t OpenRegistryKey(pipedex::RegistryHandle, const std::string&, pipedex::RegistryHandle& key) override {
    key = 0;
    return pipedex::kStatusNotFound;
  }
  std::int32_t ReadRegistryValue(pipedex::RegistryHandle, const std::string&, pipedex::RegistryValue&) override {
    return pipedex::kStatusNotFound;
  }
  void CloseRegistryKey(pipedex::RegistryHandle) override {}

 private:
  std::string folder_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string folder = argv[1];

  // The system platform with chosen settings: the folder taken as the
  // component's own, and the locale that picks the language variant.
  pipedex::SystemPlatformOptions options;
  options.componentFolder = folder;
  options.locale = "de_AT";
  pipedex::Pipedex german(pipedex::MakeSystemPlatform(options));
  std::string group, pcfType, configuration, description;
  german.GetComponentTypeData("Elbow-90", group, pcfType, configuration, description);
  std::cout << "de_AT: " << description << "\n";

  // An own platform.
  pipedex::Pipedex app(std::make_shared<AppPlatform>(folder));
  app.GetComponentTypeData("Elbow-90", group, pcfType, configuration, description);
  std::cout << "en_GB: " << description << "\n";

  // A platform that finds no catalogue: the first call that needs data fails.
  pipedex::Pipedex nowhere(std::make_shared<AppPlatform>(folder + "/no-such-folder"));
  try {
    nowhere.GroupCount();
  } catch (const pipedex::Error& e) {
    std::printf("error 0x%08X (%s): %s\n", static_cast<unsigned>(e.number()), e.source().c_str(),
                e.description().c_str());
  }
  return 0;
}
