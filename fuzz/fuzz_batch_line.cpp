// Arbitrary bytes as the standard input of `pipedex batch`: every line is
// answered on one instance over the shipped catalogue, exactly as the batch
// command answers it.

#include <cstdlib>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace pipedex::fuzz;
  static const Harness harness;
  harness.scratch.Write("SystemPipedex.xml", SampleCatalogue());
  harness.scratch.Write("project.xml", SampleCatalogue());
  harness.scratch.Remove("dump.xml");

  auto instance = NewInstance(harness);
  const std::string input(reinterpret_cast<const char*>(bytes), size);
  std::size_t start = 0;
  for (int lines = 0; start < input.size() && lines < 64; ++lines) {
    std::size_t end = input.find('\n', start);
    if (end == std::string::npos) end = input.size();
    std::string line = input.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    start = end + 1;
    const std::string answer = pipedex::cli::Dump(pipedex::cli::AnswerRequest(*instance, harness.table, line));
    // Each answer is one line of JSON.
    if (answer.empty() || answer.find('\n') != std::string::npos) std::abort();
  }
  return 0;
}
