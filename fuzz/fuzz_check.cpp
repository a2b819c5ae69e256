// The catalogue check on arbitrary bytes as a system file of its own, as the
// project file beside the shipped catalogue, or as its German variant (the
// input's length picks which): findings in order of file, line and column,
// each naming a file that was checked, at a line and column from 1, on one line.

#include <algorithm>
#include <cstdlib>
#include <tuple>

#include "fuzz_support.h"
#include "pipedex/check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  static const pipedex::fuzz::Harness harness{"SystemPipedex.xml"};
  const char* role = std::array{"own/SystemPipedex.xml", "ProjectPipedex.xml", "SystemPipedex.de.xml"}[size % 3];
  const std::string fuzzed = harness.scratch.Write(role, std::string(reinterpret_cast<const char*>(bytes), size));
  const std::string system = size % 3 == 0 ? fuzzed : harness.scratch.File("SystemPipedex.xml");
  const std::vector<pipedex::Finding> findings = pipedex::CheckCatalogue(system, {"", "", {"de", "DE"}});
  harness.scratch.Remove(role);
  const auto place = [](const pipedex::Finding& f) { return std::tie(f.file, f.line, f.column); };
  if (!std::is_sorted(findings.begin(), findings.end(), [&](auto& a, auto& b) { return place(a) < place(b); }))
    std::abort();
  for (const pipedex::Finding& f : findings)
    if ((f.file != system && f.file != fuzzed) || f.line < 1 || f.column < 1 ||
        pipedex::FormatFinding(f).find_first_of("\r\n") != std::string::npos)
      std::abort();
  return 0;
}
