// The catalogue check on arbitrary bytes as a system file, the project file beside the sample or its German variant
// (by the input's length): each finding names a checked file, at a line and column from 1, on one line.

#include <cstdlib>

#include "fuzz_support.h"
#include "pipedex/check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  static const pipedex::fuzz::Harness harness{"SystemPipedex.xml"};
  const char* role = std::array{"own/SystemPipedex.xml", "ProjectPipedex.xml", "SystemPipedex.de.xml"}[size % 3];
  const std::string fuzzed = harness.scratch.Write(role, std::string(reinterpret_cast<const char*>(bytes), size));
  const std::string system = size % 3 == 0 ? fuzzed : harness.scratch.File("SystemPipedex.xml");
  const std::vector<pipedex::Finding> findings = pipedex::CheckCatalogue(system, {"", "", {"de", "DE"}});
  harness.scratch.Remove(role);
  for (const pipedex::Finding& f : findings)
    if ((f.file != system && f.file != fuzzed) || f.line < 1 || f.column < 1 ||
        pipedex::FormatFinding(f).find_first_of("\r\n") != std::string::npos)
      std::abort();
  return 0;
}
