#pragma once

// What the benchmarks share: the catalogue files they run on, instances over
// them, and the peak memory of one initialisation measured in a fresh process.

#include <cstddef>
#include <memory>
#include <string>

#include "pipedex/pipedex.h"

namespace pipedex::bench {

// One catalogue the benchmarks run on: a folder holding SystemPipedex.xml.
struct CatalogueFile {
  std::string label;    // "sample", "1MB", "10MB", "50MB"
  std::string folder;
  std::string path;     // folder + "/SystemPipedex.xml"
  std::size_t bytes = 0;
  std::size_t replicas = 1;
};

// Writes the catalogue of about targetBytes (0 = the sample itself) into
// dataDir/label/SystemPipedex.xml and describes it.
CatalogueFile WriteCatalogue(const std::string& dataDir, const std::string& label, std::size_t targetBytes);
// Writes a text file and returns its path.
std::string WriteFile(const std::string& path, const std::string& text);

// A new, not yet initialised instance over the catalogue's folder (no
// registry, English locale, so no language variant).
std::unique_ptr<Pipedex> OpenCatalogue(const CatalogueFile& catalogue);

// Peak resident memory that one load of the file adds to a fresh process, in
// bytes: "parse" loads it with pugixml alone, "init" initialises a Pipedex
// instance over its folder. Runs this program again with --measure-memory.
double MeasurePeakMemory(const std::string& mode, const CatalogueFile& catalogue);
// The child side of MeasurePeakMemory: prints the bytes added and returns 0.
int MeasureMemoryChild(const std::string& mode, const std::string& folder);

}  // namespace pipedex::bench
