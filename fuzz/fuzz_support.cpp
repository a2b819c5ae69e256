#include "fuzz_support.h"

#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

namespace pipedex::fuzz {
namespace {

std::string ScratchRoot() {
  if (std::filesystem::is_directory("/dev/shm")) return "/dev/shm";
  return std::filesystem::temp_directory_path().string();
}

// Points the file argument of an operation that reads or writes a file at a
// file of the scratch folder.
void Confine(cli::Operation& op, const ScratchFolder& scratch) {
  const bool reads = op.effect == cli::Effect::ReadsFile;
  if (!reads && op.effect != cli::Effect::WritesFile) return;
  std::string dump = scratch.File("dump.xml"), project = scratch.File("project.xml"),
              missing = scratch.File("missing.xml");
  auto confine = [=](cli::Args& a) {
    std::string& path = a.Str(0);
    if (!reads) path = dump;
    else if (path.find("dump") != std::string::npos) path = dump;
    else path = path.empty() ? missing : project;
  };
  op.invoke = [confine, original = op.invoke](Pipedex& p, cli::Args& a) {
    confine(a);
    return original(p, a);
  };
  op.call = [confine, original = op.call](Pipedex& p, cli::Args& a) {
    confine(a);
    original(p, a);
  };
}

cli::ArgValue PoolValue(cli::ArgType type, const std::vector<std::string>& pool, std::size_t k) {
  static constexpr double kAngles[] = {90.0, 45.0, 0.0, 60.4, -30.0, 180.0};
  switch (type) {
    case cli::ArgType::String: return pool[k % pool.size()];
    case cli::ArgType::Long: return static_cast<std::int32_t>(k % 5);
    case cli::ArgType::Double: return kAngles[k % std::size(kAngles)];
    case cli::ArgType::Bool: return k % 2 == 1;
  }
  return std::string();
}

cli::ArgValue FuzzedValue(cli::ArgType type, const std::vector<std::string>& pool, FuzzedDataProvider& data) {
  switch (type) {
    case cli::ArgType::String:
      if (data.ConsumeBool()) return pool[data.ConsumeIntegralInRange<std::size_t>(0, pool.size() - 1)];
      return data.ConsumeRandomLengthString(40);
    case cli::ArgType::Long:
      if (data.ConsumeBool()) return data.ConsumeIntegralInRange<std::int32_t>(-2, 40);
      return data.ConsumeIntegral<std::int32_t>();
    case cli::ArgType::Double: {
      static constexpr double kSpecial[] = {0.0, 90.0, 45.0, 30.0, 60.0, 89.5, -90.0, 1e308, -0.0,
                                            std::numeric_limits<double>::infinity(),
                                            std::numeric_limits<double>::quiet_NaN()};
      if (data.ConsumeBool()) return kSpecial[data.ConsumeIntegralInRange<std::size_t>(0, std::size(kSpecial) - 1)];
      return data.ConsumeFloatingPoint<double>();
    }
    case cli::ArgType::Bool: return data.ConsumeBool();
  }
  return std::string();
}

}  // namespace

Harness::Harness() : scratch(ScratchRoot()) {
  const cli::OperationTable all = cli::BuildOperationTable();
  for (auto [name, op] : all.operations()) {
    Confine(op, scratch);
    table.Add(std::move(op));
  }
  for (const auto& [name, property] : all.setters()) table.AddSetter(property);
  for (const auto& [name, op] : table.operations()) operations.push_back(&op);
}

std::unique_ptr<Pipedex> NewInstance(const Harness& harness) {
  SystemPlatformOptions options;
  options.componentFolder = harness.scratch.path();
  options.registryFile = harness.scratch.File("no-registry.reg");
  options.locale = "en_US";
  return std::make_unique<Pipedex>(MakeSystemPlatform(options));
}

std::vector<std::string> NamePool(Pipedex& p) {
  std::vector<std::string> pool = {"", "ELBW", "EL**", "BW", "bw--", "Welds", "Elbow-90-V", "x' or '1'='1", " tee "};
  try {
    for (std::int32_t i = 1; i <= std::min(p.GroupCount(), 8); ++i) pool.push_back(p.GetGroup(i));
    for (std::int32_t i = 1; i <= std::min(p.SKEYCount(), 16); ++i) pool.push_back(p.GetSKEY(i));
    for (std::int32_t i = 1; i <= std::min(p.EndPrepCount(), 8); ++i) pool.push_back(p.GetEndPrep(i));
    for (std::int32_t i = 1; i <= std::min(p.ConfigurationCount(), 8); ++i) pool.push_back(p.GetConfiguration(i));
    for (std::int32_t i = 1; i <= std::min(p.OperationCount(), 8); ++i) pool.push_back(p.GetOperation(i));
    for (std::int32_t i = 1; i <= std::min(p.ComponentTypeCount(), 16); ++i) pool.push_back(p.GetComponentType(i));
  } catch (const Error&) {
  }
  return pool;
}

void Call(Pipedex& instance, const cli::Operation& op, cli::Args& args) {
  bool componentError = false;
  cli::Run(instance, op, args, componentError);
}

bool Loads(Pipedex& instance) {
  try {
    instance.SystemXMLPath();
    return true;
  } catch (const Error&) {
    return false;
  }
}

void Sweep(Pipedex& instance, const Harness& harness, const std::vector<std::string>& pool, std::size_t rounds) {
  for (std::size_t variant = 0; variant < rounds; ++variant) {
    for (const cli::Operation* op : harness.operations) {
      cli::Args args;
      for (std::size_t i = 0; i < op->params.size(); ++i)
        args.values.push_back(PoolValue(op->params[i].type, pool, variant * 7 + i));
      Call(instance, *op, args);
    }
  }
}

void FuzzedCalls(Pipedex& instance, const Harness& harness, const std::vector<std::string>& pool,
                 FuzzedDataProvider& data, int maxCalls) {
  for (int n = 0; n < maxCalls && data.remaining_bytes() > 0; ++n) {
    const cli::Operation& op =
        *harness.operations[data.ConsumeIntegralInRange<std::size_t>(0, harness.operations.size() - 1)];
    cli::Args args;
    for (const cli::Param& param : op.params) args.values.push_back(FuzzedValue(param.type, pool, data));
    Call(instance, op, args);
  }
}

const std::string& SampleCatalogue() {
  static const std::string text = [] {
    std::ifstream in(std::string(PIPEDEX_SAMPLE_DATA) + "/SystemPipedex.xml", std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }();
  return text;
}

}  // namespace pipedex::fuzz
