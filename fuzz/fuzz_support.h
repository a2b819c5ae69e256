#pragma once

// What the fuzz targets share: a scratch folder, the CLI's operation
// table with every file path kept inside that folder, and ways to call
// operations with fuzzer-chosen or catalogue-derived arguments.

#include <fuzzer/FuzzedDataProvider.h>

#include <memory>
#include <string>
#include <vector>

#include "protocol.h"
#include "temp_dir.h"
#include "pipedex/pipedex.h"

namespace pipedex::fuzz {

// A folder of its own for this process (in memory where /dev/shm exists), removed at exit.
using ScratchFolder = testing::TempDir;

// The operations of the batch protocol. The ones that name files work inside
// the scratch folder only: one that writes a file always writes "dump.xml";
// one that reads a file reads "dump.xml" when its argument mentions "dump", a
// missing file when it is empty, and "project.xml" otherwise.
struct Harness {
  Harness();
  ScratchFolder scratch;  // in memory where /dev/shm exists
  cli::OperationTable table;
  std::vector<const cli::Operation*> operations;  // in name order
};

// A new instance over the scratch folder (no registry, locale en_US).
std::unique_ptr<Pipedex> NewInstance(const Harness& harness);

// Names worth passing as string arguments: what the catalogue holds, plus a
// few fixed texts (empty, generic SKEYs, quotes).
std::vector<std::string> NamePool(Pipedex& instance);

// Calls one operation as the CLI does (the batch target covers turning answers into JSON lines).
void Call(Pipedex& instance, const cli::Operation& op, cli::Args& args);

// Whether the instance loads its catalogue (an instance that does not retries,
// and so parses its files again, on every call).
bool Loads(Pipedex& instance);

// Calls every operation `rounds` times with arguments from the pool.
void Sweep(Pipedex& instance, const Harness& harness, const std::vector<std::string>& pool, std::size_t rounds);

// Calls operations chosen by the fuzzer, with arguments it chooses, until the
// data runs out or maxCalls calls were made.
void FuzzedCalls(Pipedex& instance, const Harness& harness, const std::vector<std::string>& pool,
                 FuzzedDataProvider& data, int maxCalls);

// The shipped sample catalogue's text.
const std::string& SampleCatalogue();

}  // namespace pipedex::fuzz
