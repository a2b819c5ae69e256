// Arbitrary bytes as the registry file: parsed directly, and read through the
// system platform the way the initialiser looks for "DataPath".

#include <filesystem>

#include "fuzz_support.h"
#include "base/format.h"
#include "platform/registry.h"
#include "platform/registry_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace pipedex;
  static const testing::TempDir scratch;
  const std::string content(reinterpret_cast<const char*>(bytes), size);

  auto file = registry::RegistryFile::Parse(content);
  const std::string dataPathKey = std::string("HKEY_LOCAL_MACHINE\\") + format::kRegistryKey;
  for (const std::string& key : {dataPathKey, std::string("HKEY_LOCAL_MACHINE"), std::string("hkey_local_machine\\software\\"),
                                std::string("HKEY_CURRENT_USER\\x"), std::string()}) {
    file.KeyExists(key);
    for (const char* name : {format::kRegistryValue, "", "Count"}) file.FindValue(key, name);
  }

  scratch.Write("registry.reg", content);
  SystemPlatformOptions options;
  options.componentFolder = scratch.File("no-component");
  options.registryFile = scratch.File("registry.reg");
  auto platform = MakeSystemPlatform(options);
  // The key also in the slash spelling, which the reader takes as the same key.
  for (std::int32_t hive : {format::kRegistryHive, 2, 0})
    registry::GetRegistryValue(*platform, hive, "Software/Zenrod/Pipedex/Settings", format::kRegistryValue, std::string());
  // The initialiser with that registry, unless the value names a file that
  // exists outside the scratch folder (the fuzzer is not to read the system's files).
  const RegistryValue* value = file.FindValue(dataPathKey, format::kRegistryValue);
  if (value && value->kind == RegistryValue::Kind::Text && !value->text.empty() && value->text.rfind(scratch.path(), 0) != 0) {
    std::error_code ec;
    if (std::filesystem::exists(value->text, ec) || ec) return 0;
  }
  Pipedex instance(platform);
  fuzz::Loads(instance);
  return 0;
}
