#pragma once

// What the benchmarks share: the catalogue files they run on, instances over
// them, and the peak memory of one initialisation measured in a fresh process.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "pipedex/pipedex.h"

namespace pipedex::bench {

// The two shapes of generated catalogue: replicas of the sample
// (catalogue_generator.h), and the sample followed by blocks of many small
// entries (dense_catalogue.h).
enum class Shape { Replicas, Dense };

// One catalogue the benchmarks run on: a folder holding SystemPipedex.xml.
struct CatalogueFile {
  std::string label;    // "sample", "1MB", "10MB", "50MB", "dense1MB", "dense10MB", "dense30MB"
  std::string folder;
  std::string path;     // folder + "/SystemPipedex.xml"
  std::size_t bytes = 0;
  Shape shape = Shape::Replicas;
  std::size_t replicas = 1;  // copies of the sample (1 in the dense shape)
  std::size_t blocks = 0;    // dense blocks after the sample (dense shape only)
};

// Writes the catalogue of about targetBytes (0 = the sample itself) into
// dataDir/label/SystemPipedex.xml and describes it.
CatalogueFile WriteCatalogue(const std::string& dataDir, const std::string& label, std::size_t targetBytes,
                             Shape shape = Shape::Replicas);
// Writes a text file and returns its path.
std::string WriteFile(const std::string& path, const std::string& text);

// A new, not yet initialised instance over the catalogue's folder (no
// registry, English locale, so no language variant); with index, it keeps
// compiled indexes in $XDG_CACHE_HOME/pipedex, else none.
std::unique_ptr<Pipedex> OpenCatalogue(const CatalogueFile& catalogue, bool index = false);

// One load of a catalogue in a fresh process: "parse" loads the file with
// pugixml alone, "init" initialises a Pipedex instance over its folder.
struct LoadMeasure {
  double seconds = -1;    // CPU time (user and system, page faults included)
  double peakBytes = -1;  // peak resident memory: what the load added, or for MeasureProcess the whole process's
};
// Runs this program again with --measure-load; negative figures when it failed.
LoadMeasure MeasureLoad(const std::string& mode, const CatalogueFile& catalogue);
// The child side of MeasureLoad: prints "seconds peakBytes" and returns 0.
int MeasureLoadChild(const std::string& mode, const std::string& folder);

// A whole process running argv, from its start to its exit, with its output
// discarded: its CPU time (user and system) and its peak resident memory, as
// wait4 reports them; negative when it could not run or failed. The process
// is started by a fresh copy of this program (--measure-process), since a
// process started straight from this one would report this one's resident
// memory as its peak.
using ProcessMeasure = LoadMeasure;
ProcessMeasure MeasureProcess(const std::vector<std::string>& argv);
// The child side of MeasureProcess: runs argv, prints "seconds peakBytes" and returns 0.
int MeasureProcessChild(const std::vector<std::string>& argv);
// The folder this program lies in (where the CLI is built too).
std::string ProgramFolder();

}  // namespace pipedex::bench
