// Arbitrary bytes as the registry file: parsed directly, and read through the
// system platform the way the initialiser looks for "DataPath".

#include <filesystem>

#include "fuzz_support.h"
#include "platform/registry.h"
#include "platform/registry_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace pipedex;
  static const testing::TempDir scratch;
  const std::string content(reinterpret_cast<const char*>(bytes), size);

  auto file = registry::RegistryFile::Parse(content);
  for (const char* key : {"HKEY_LOCAL_MACHINE\\Software\\Zenrod\\Pipedex\\Settings", "HKEY_LOCAL_MACHINE",
                          "hkey_local_machine\\software\\", "HKEY_CURRENT_USER\\x", ""}) {
    file.KeyExists(key);
    for (const char* name : {"DataPath", "", "Count"}) file.FindValue(key, name);
  }

  scratch.Write("registry.reg", content);
  SystemPlatformOptions options;
  options.componentFolder = scratch.File("no-component");
  options.registryFile = scratch.File("registry.reg");
  auto platform = MakeSystemPlatform(options);
  for (std::int32_t hive : {3, 2, 0})
    registry::GetRegistryValue(*platform, hive, "Software/Zenrod/Pipedex/Settings", "DataPath", std::string());
  // The initialiser with that registry, unless the value names a file that
  // exists outside the scratch folder (the fuzzer is not to read the system's files).
  const RegistryValue* value =
      file.FindValue("HKEY_LOCAL_MACHINE\\Software\\Zenrod\\Pipedex\\Settings", "DataPath");
  if (value && value->kind == RegistryValue::Kind::Text && !value->text.empty() && value->text.rfind(scratch.path(), 0) != 0) {
    std::error_code ec;
    if (std::filesystem::exists(value->text, ec) || ec) return 0;
  }
  Pipedex instance(platform);
  fuzz::Loads(instance);
  return 0;
}
