// The shipped catalogue plus arbitrary bytes as a project file: loaded with
// LoadProjectXML (or, for inputs of odd length, found beside the system file
// and merged during initialisation), then every operation is called.

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace pipedex::fuzz;
  static const Harness harness{"SystemPipedex.xml"};
  const std::string project(reinterpret_cast<const char*>(bytes), size);
  const bool beside = size % 2 == 1;
  harness.scratch.Write("project.xml", project);
  if (beside) harness.scratch.Write("ProjectPipedex.xml", project);
  else harness.scratch.Remove("ProjectPipedex.xml");
  harness.scratch.Remove("dump.xml");

  auto instance = harness.NewInstance();
  try {
    if (!beside) instance->LoadProjectXML(harness.scratch.File("project.xml"));
  } catch (const pipedex::Error&) {
  }
  Sweep(*instance, harness, pipedex::testing::NamePool(*instance), Loads(*instance) ? 2 : 1);
  return 0;
}
