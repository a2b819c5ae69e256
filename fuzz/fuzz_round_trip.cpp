// Arbitrary bytes as "SystemPipedex.xml": whatever loads is saved with
// DumpXML, and the saved file must load again and answer the same counts.

#include <cstdlib>
#include <fstream>
#include <sstream>

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
    auto instance = NewInstance(harness);
    if (!Loads(*instance)) return 0;
    before = Counts(*instance);
    instance->DumpXML(harness.scratch.File("dump.xml"));
  }
  std::ifstream in(harness.scratch.File("dump.xml"), std::ios::binary);
  std::ostringstream saved;
  saved << in.rdbuf();
  const std::string text = saved.str();
  harness.scratch.Write("SystemPipedex.xml", text);
  auto again = NewInstance(harness);
  if (!Loads(*again) || Counts(*again) != before) std::abort();
  return 0;
}
