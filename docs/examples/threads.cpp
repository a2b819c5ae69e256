// Threads: one instance per thread. Instances share nothing, so each thread
// may create and use its own without locking; one instance is never called
// from two threads at once.
#include <iostream>
#include <thread>
#include <vector>
#include <pipedex/pipedex.h>

int main() {
  std::vector<std::int32_t> counts(4);
  std::vector<std::thread> workers;
  for (std::size_t t = 0; t < counts.size(); ++t)
    workers.emplace_back([&counts, t] {
      pipedex::Pipedex catalogue;  // this thread's own instance and its own copy of the catalogue
      counts[t] = catalogue.FindSKEYs("");
    });
  for (auto& w : workers) w.join();
  for (std::size_t t = 0; t < counts.size(); ++t) std::cout << "thread " << t << ": " << counts[t] << " SKEYs\n";
  return 0;
}
