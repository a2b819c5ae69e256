#pragma once

// What the fuzz targets share: a scratch folder (in memory where /dev/shm
// exists) with the batch protocol's operations confined to it, and calls of
// those operations with catalogue names or fuzzer-chosen arguments.

#include <fuzzer/FuzzedDataProvider.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <limits>

#include "operation_sweep.h"
#include "temp_dir.h"

namespace pipedex::fuzz {

using testing::OperationSweep;

struct Harness {
  // Writes the shipped catalogue into the scratch folder under each of the
  // names, once: the operations write nothing there but dump.xml. (Streams,
  // unlike std::filesystem::copy_file, retry a read or write that the
  // fuzzer's timer signal interrupts.)
  explicit Harness(std::initializer_list<const char*> sampleCopies = {}) {
    std::ifstream in(PIPEDEX_SAMPLE_DATA "/SystemPipedex.xml", std::ios::binary);
    const std::string sample{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    for (const char* name : sampleCopies) scratch.Write(name, sample);
  }

  testing::TempDir scratch{std::filesystem::is_directory("/dev/shm") ? "/dev/shm"
                                                                     : std::filesystem::temp_directory_path().string()};
  OperationSweep sweep{scratch.path()};
  // A new instance over the scratch folder (no registry, locale en_US).
  std::unique_ptr<Pipedex> NewInstance() const { return testing::NewInstance(scratch.path(), "en_US"); }
};

// Whether the instance loads its catalogue (one that does not retries, parsing
// its files again, on every call).
inline bool Loads(Pipedex& instance) {
  try {
    instance.SystemXMLPath();
    return true;
  } catch (const Error&) {
    return false;
  }
}

// Calls every operation `rounds` times with arguments from the pool.
inline void Sweep(Pipedex& instance, const Harness& harness, const std::vector<std::string>& pool, std::size_t rounds) {
  const auto& operations = harness.sweep.operations;
  for (std::size_t k = 0; k < rounds * operations.size(); ++k) {
    const cli::Operation& op = *operations[k % operations.size()];
    OperationSweep::Answer(instance, op, OperationSweep::Arguments(op, pool, k));
  }
}

inline cli::ArgValue FuzzedValue(cli::ArgType type, const std::vector<std::string>& pool, FuzzedDataProvider& data) {
  static constexpr double kSpecial[] = {0.0, 90.0, 45.0, 30.0, 60.0, 89.5, -90.0, 1e308, -0.0,
                                        std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()};
  const bool chosen = data.ConsumeBool();  // a value the fuzzer picks from a list, or one it makes
  switch (type) {
    case cli::ArgType::String:
      if (chosen) return pool[data.ConsumeIntegralInRange<std::size_t>(0, pool.size() - 1)];
      return data.ConsumeRandomLengthString(40);
    case cli::ArgType::Long:
      if (chosen) return data.ConsumeIntegralInRange<std::int32_t>(-2, 40);
      return data.ConsumeIntegral<std::int32_t>();
    case cli::ArgType::Double:
      if (chosen) return kSpecial[data.ConsumeIntegralInRange<std::size_t>(0, std::size(kSpecial) - 1)];
      return data.ConsumeFloatingPoint<double>();
    case cli::ArgType::Bool: return chosen;
  }
  return std::string();
}

// Calls operations chosen by the fuzzer, with arguments it chooses, until the
// data runs out or maxCalls calls were made.
inline void FuzzedCalls(Pipedex& instance, const Harness& harness, const std::vector<std::string>& pool,
                        FuzzedDataProvider& data, int maxCalls) {
  const auto& operations = harness.sweep.operations;
  for (int n = 0; n < maxCalls && data.remaining_bytes() > 0; ++n) {
    const cli::Operation& op = *operations[data.ConsumeIntegralInRange<std::size_t>(0, operations.size() - 1)];
    cli::Args args;
    for (const cli::Param& param : op.params) args.values.push_back(FuzzedValue(param.type, pool, data));
    OperationSweep::Answer(instance, op, args);
  }
}

}  // namespace pipedex::fuzz
