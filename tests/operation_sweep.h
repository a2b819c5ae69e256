#pragma once

// Every operation of the batch protocol called with arguments drawn from a
// pool of the names a catalogue holds: what the thread test and the fuzz
// targets both run.

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "protocol.h"
#include "pipedex/pipedex.h"
#include "pipedex/platform.h"

namespace pipedex::testing {

// An instance over the folder's SystemPipedex.xml, with no registry file.
inline std::unique_ptr<Pipedex> NewInstance(const std::string& folder, const std::string& locale) {
  SystemPlatformOptions options{folder, folder + "/no-registry.reg", locale};
  return std::make_unique<Pipedex>(MakeSystemPlatform(options));
}

// Names worth passing as string arguments: the first names of each list of the
// catalogue, and a few texts that no catalogue holds.
inline std::vector<std::string> NamePool(Pipedex& p) {
  std::vector<std::string> pool = {"", "ELBW", "EL**", "BW", "bw--", "Welds", "Elbow-90-V", "x' or '1'='1", " tee "};
  const auto add = [&](std::int32_t count, std::string (Pipedex::*get)(std::int32_t)) {
    for (std::int32_t i = 1; i <= std::min(count, 16); ++i) pool.push_back((p.*get)(i));
  };
  try {
    add(p.GroupCount(), &Pipedex::GetGroup);
    add(p.SKEYCount(), &Pipedex::GetSKEY);
    add(p.EndPrepCount(), &Pipedex::GetEndPrep);
    add(p.ConfigurationCount(), &Pipedex::GetConfiguration);
    add(p.OperationCount(), &Pipedex::GetOperation);
    add(p.PCFTYPECount(), &Pipedex::GetPCFTYPE);
    p.FindComponentTypes("", "", "");
    add(p.ComponentTypeCount(), &Pipedex::GetComponentType);
  } catch (const Error&) {
  }
  return pool;
}

// The batch protocol's operations and properties. Those that name a file use
// files of one folder only: a writer writes dump.xml; a reader reads dump.xml
// when its argument mentions "dump", a missing file when it is empty, and
// project.xml otherwise.
struct OperationSweep {
  explicit OperationSweep(const std::string& folder) {
    const cli::OperationTable all = cli::BuildOperationTable();
    for (auto [name, op] : all.operations()) {
      if (op.effect == cli::Effect::ReadsFile || op.effect == cli::Effect::WritesFile) {
        const auto confine = [folder, reads = op.effect == cli::Effect::ReadsFile](cli::Args& a) {
          std::string& path = a.Str(0);
          if (!reads || path.find("dump") != std::string::npos) path = folder + "/dump.xml";
          else path = folder + (path.empty() ? "/missing.xml" : "/project.xml");
        };
        op.invoke = [confine, invoke = op.invoke](Pipedex& p, cli::Args& a) {
          confine(a);
          return invoke(p, a);
        };
        op.call = nullptr;  // what the protocol runs is the answer above
      }
      table.Add(std::move(op));
    }
    for (const auto& [name, property] : all.setters()) table.AddSetter(property);
    for (const auto& [name, op] : table.operations()) operations.push_back(&op);
  }

  // The arguments of draw k: names of the pool, small numbers, telling angles.
  static cli::Args Arguments(const cli::Operation& op, const std::vector<std::string>& pool, std::size_t k) {
    static constexpr double kAngles[] = {0, 22.5, 30, 45, 60, 89.5, 90, 135, 180, -45};
    cli::Args args;
    for (const cli::Param& param : op.params) {
      switch (param.type) {
        case cli::ArgType::String: args.values.emplace_back(pool[k % pool.size()]); break;
        case cli::ArgType::Long: args.values.emplace_back(static_cast<std::int32_t>(k % 50) - 2); break;
        case cli::ArgType::Double: args.values.emplace_back(kAngles[k % std::size(kAngles)]); break;
        case cli::ArgType::Bool: args.values.emplace_back(k % 2 == 1); break;
      }
      k = k * 31 + 7;  // the next parameter draws another value
    }
    return args;
  }

  // One call as the batch protocol makes it; its answer as one JSON line.
  static std::string Answer(Pipedex& p, const cli::Operation& op, cli::Args args) {
    bool componentError = false;
    return cli::Dump(cli::Run(p, op, args, componentError));
  }

  cli::OperationTable table;
  std::vector<const cli::Operation*> operations;  // in name order
};

}  // namespace pipedex::testing
