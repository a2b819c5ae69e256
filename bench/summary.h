#pragma once

// Collecting the medians of a benchmark run and printing the one summary
// table of ratios that `make bench` ends with.

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "operation_cases.h"

namespace pipedex::bench {

struct BenchResults {
  std::map<std::string, double> nanoseconds;  // benchmark name -> median time per iteration
  std::map<std::string, double> peakBytes;     // "parse/1MB", "init/1MB" -> peak memory added
  std::vector<CatalogueFile> catalogues;

  std::optional<double> Ns(const std::string& name) const;
};

// Prints what Google Benchmark prints and keeps, for every benchmark, the
// median of its repetitions (or its single result): CPU time, or real time
// for benchmarks measured in real time.
class CollectingReporter : public benchmark::ConsoleReporter {
 public:
  explicit CollectingReporter(BenchResults& results) : results_(results) {}
  void ReportRuns(const std::vector<Run>& runs) override;

 private:
  BenchResults& results_;
};

// Whether the compiled index answers an operation (an instance whose first question it is opens the index).
inline bool IndexAnswers(const std::string& operation) {
  for (const char* answered : {"GetSKEYData", "GetSKEYAttribute", "GetDefaultCategory", "GetIsoPriority",
                               "GetComponentTypeData", "PCFAttributeCheck", "GetIDFAttribute", "GetDefaultPCFTYPE",
                               "IsSKEYDefault"})
    if (operation == answered) return true;
  return false;
}

// The machine the figures come from: CPU model and number of cores.
std::string MachineDescription();

void PrintSummary(std::ostream& out, const BenchResults& results, const std::vector<OperationCase>& cases);

}  // namespace pipedex::bench
