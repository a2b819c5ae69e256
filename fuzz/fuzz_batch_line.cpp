// Arbitrary bytes as the standard input of `pipedex batch`: every line is
// answered on one instance over the shipped catalogue, exactly as the batch
// command answers it.

#include <cstdlib>
#include <sstream>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace pipedex::fuzz;
  static const Harness harness{"SystemPipedex.xml", "project.xml"};
  harness.scratch.Remove("dump.xml");

  auto instance = harness.NewInstance();
  std::istringstream input(std::string(reinterpret_cast<const char*>(bytes), size));
  std::string line;
  for (int lines = 0; lines < 64 && std::getline(input, line); ++lines) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string answer = pipedex::cli::Dump(pipedex::cli::AnswerRequest(*instance, harness.sweep.table, line));
    // Each answer is one line of JSON.
    if (answer.empty() || answer.find('\n') != std::string::npos) std::abort();
  }
  return 0;
}
