// The C++ side of bench/python_overhead.py: times the same keyed questions
// through the C++ API inside the Python process that times them through the
// module, on an instance of the same catalogue, so that the difference is
// what the module adds.
#include <chrono>
#include <cstdint>
#include <string>

#include <pybind11/pybind11.h>

#include "pipedex/pipedex.h"

namespace {

template <typename F>
double NanosecondsPerCall(std::int64_t calls, F&& call) {
  auto start = std::chrono::steady_clock::now();
  for (std::int64_t i = 0; i < calls; ++i) call();
  std::chrono::duration<double, std::nano> spent = std::chrono::steady_clock::now() - start;
  return spent.count() / static_cast<double>(calls);
}

// Keeps the compiler from dropping a result.
template <typename T>
void Use(const T& value) {
  asm volatile("" : : "g"(&value) : "memory");
}

double Time(pipedex::Pipedex& p, const std::string& question, std::int64_t calls) {
  if (question == "GetIsoPriority")
    return NanosecondsPerCall(calls, [&] { Use(p.GetIsoPriority("ELBW")); });
  if (question == "GetSKEYAttribute")
    return NanosecondsPerCall(calls, [&] { Use(p.GetSKEYAttribute("ELBW", "Symbol")); });
  if (question == "GetSKEYData")
    return NanosecondsPerCall(calls, [&] {
      std::string d, c1, c2, c3, c4;
      Use(p.GetSKEYData("ELBW", d, c1, c2, c3, c4));
    });
  throw pybind11::value_error("no such question: " + question);
}

}  // namespace

PYBIND11_MODULE(pipedex_probe, m) {
  m.def(
      "cpp_ns",
      [](const std::string& question, std::int64_t calls) {
        pipedex::Pipedex p;
        p.GroupCount();
        return Time(p, question, calls);
      },
      "Nanoseconds per C++ call of a question, on a loaded instance of the default catalogue.");
}
