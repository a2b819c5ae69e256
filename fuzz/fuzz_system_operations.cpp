// Arbitrary bytes as "SystemPipedex.xml" (and as a project file and a
// language variant beside it), then operations chosen by the fuzzer with
// arguments it chooses. Inputs that hold nothing after the files call every
// operation instead.

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace pipedex::fuzz;
  static const Harness harness;
  FuzzedDataProvider data(bytes, size);
  const std::string system = data.ConsumeRandomLengthString(size);
  const std::string project = data.ConsumeRandomLengthString(size);
  const std::string language = data.ConsumeRandomLengthString(size);
  harness.scratch.Write("SystemPipedex.xml", &system);
  harness.scratch.Write("project.xml", &project);
  harness.scratch.Write("SystemPipedex.en.xml", language.empty() ? nullptr : &language);
  harness.scratch.Write("dump.xml", nullptr);

  auto instance = NewInstance(harness);
  const auto pool = NamePool(*instance);
  if (data.remaining_bytes() == 0) {
    Sweep(*instance, harness, pool, Loads(*instance) ? 3 : 1);
  } else {
    FuzzedCalls(*instance, harness, pool, data, 64);
  }
  return 0;
}
