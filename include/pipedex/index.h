#pragma once

// The compiled index of a catalogue: written after an instance loads the
// catalogue from its files, into the platform's index folder
// (Platform::IndexFolder), and opened instead of the files by a later
// instance while every file it was built from is unchanged, so that its
// first answer needs no parse. These functions show, build and remove it,
// for `pipedex cache`.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pipedex/export.h"
#include "pipedex/platform.h"

namespace pipedex {

struct IndexInfo {
  std::string path;    // the index file for the platform's catalogue and locale; "" when the platform keeps none
  bool valid = false;  // whether an instance would answer from it
  std::string state;   // "valid", or why it is not used ("no index file", "a file it was built from has changed", ...)
  std::uint64_t size = 0;          // bytes of the index file (0 when there is none)
  std::vector<std::string> files;  // the files it records, present when it was built or not
};

// The index an instance on the platform would open, without loading the
// catalogue; with verifyContent, also valid only when every file it records
// hashes as it did. Throws the first call's error when no system file is
// found (0x80040201, 0x80040202).
PIPEDEX_API IndexInfo InspectIndex(std::shared_ptr<Platform> platform, bool verifyContent = false);

// Loads the catalogue as an instance's first question does, which writes the
// index unless a valid one exists, and tells what is there then. Throws the
// first call's errors.
PIPEDEX_API IndexInfo BuildIndex(std::shared_ptr<Platform> platform);

// Removes every index file from the platform's index folder; how many were removed.
PIPEDEX_API std::size_t ClearIndexes(std::shared_ptr<Platform> platform);

}  // namespace pipedex
