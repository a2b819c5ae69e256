// Arbitrary bytes as the system catalogue. When it loads, it is saved with
// DumpXML and the saved file is loaded as the catalogue of a second instance:
// a save must keep everything the catalogue answers, so both instances are
// asked the same questions in step and must give the same answers.

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "fuzz_support.h"

[[noreturn]] void Differ(const char* what, const std::string& before, const std::string& after) {
  std::fprintf(stderr, "%s differ after the save:\n%s\n%s\n", what, before.c_str(), after.c_str());
  std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace pipedex::fuzz;
  static const Harness harness;
  harness.scratch.Write("SystemPipedex.xml", std::string(reinterpret_cast<const char*>(bytes), size));
  auto original = harness.NewInstance();
  if (!Loads(*original)) return 0;
  const std::string saved = harness.scratch.File("saved.xml");
  try {
    original->DumpXML(saved);
  } catch (const pipedex::Error&) {
    return 0;
  }
  std::ifstream in(saved, std::ios::binary);
  harness.scratch.Write("SystemPipedex.xml", {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()});
  auto reloaded = harness.NewInstance();
  if (!Loads(*reloaded)) {
    std::fputs("the saved catalogue does not load\n", stderr);
    std::abort();
  }
  // The pool's questions leave a result list behind: both instances are asked them.
  const auto pool = pipedex::testing::NamePool(*original);
  if (pipedex::testing::NamePool(*reloaded) != pool) Differ("the names of the lists", "", "");
  const auto& operations = harness.sweep.operations;
  for (std::size_t k = 0; k < operations.size(); ++k) {
    const auto args = OperationSweep::Arguments(*operations[k], pool, k);
    const std::string before = OperationSweep::Answer(*original, *operations[k], args);
    const std::string after = OperationSweep::Answer(*reloaded, *operations[k], args);
    if (before != after) Differ(operations[k]->name.c_str(), before, after);
  }
  return 0;
}
