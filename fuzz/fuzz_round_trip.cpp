// Arbitrary bytes as "SystemPipedex.xml": whatever loads is saved with
// DumpXML, and the saved file must load again and answer the same counts.

#include <cstdlib>

#include "fuzz_support.h"

namespace {

std::string Counts(pipedex::Pipedex& p) {
  return std::to_string(p.GroupCount()) + " " + std::to_string(p.ComponentTypeCount()) + " " +
         std::to_string(p.SKEYCount()) + " " + std::to_string(p.EndPrepCount()) + " " +
         std::to_string(p.ConfigurationCount()) + " " + std::to_string(p.OperationCount());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace pipedex::fuzz;
  static const Harness harness;
  const std::string system(reinterpret_cast<const char*>(bytes), size);
  harness.scratch.Write("SystemPipedex.xml", system);
  harness.scratch.Remove("SystemPipedex.en.xml");
  harness.scratch.Remove("dump.xml");

  std::string before;
  {
    auto instance = harness.NewInstance();
    if (!Loads(*instance)) return 0;
    before = Counts(*instance);
    instance->DumpXML(harness.scratch.File("dump.xml"));
  }
  harness.scratch.Write("SystemPipedex.xml", harness.scratch.Read("dump.xml"));
  auto again = harness.NewInstance();
  if (!Loads(*again) || Counts(*again) != before) std::abort();
  return 0;
}
