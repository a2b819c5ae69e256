// pipedex-bench: the performance benchmarks of the component (`make bench`).
//
// Writes the synthetic catalogues of both shapes (replicas of the sample at
// about 1 MB, 10 MB and 50 MB, plus the sample; dense blocks at about 1 MB,
// 10 MB and 30 MB), measures the raw parse against a full initialisation with
// its peak memory and the one-shot CLI call against a parse-only process
// (each in fresh processes), every public operation on warm instances with
// the direct-XPath baseline beside the keyed questions, adding SKEYs, saving,
// loading a project overlay of 100 KB, and catalogues of 20 MB with a
// language variant against without; then prints one summary table of the ratios.
//
//   pipedex-bench [--data-dir DIR] [--sizes sample,1,10,50,dense1,dense10,dense30,variant] [Google Benchmark flags]

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include "bench_support.h"
#include "catalogue_generator.h"
#include "operation_cases.h"
#include "summary.h"
#include "variant_load.h"

namespace pipedex::bench {
namespace {

struct Options {
  std::string dataDir = "bench-data";
  std::set<std::string> sizes = {"sample", "1", "10", "50", "dense1", "dense10", "dense30", "variant"};
};

// Each operation runs in this many batches of at least this long; its figure
// is the median batch.
constexpr int kRepetitions = 9;
constexpr double kMinSeconds = 0.02;

// Everything one catalogue size needs during the run.
struct SizeContext {
  CatalogueFile catalogue;
  std::unique_ptr<Pipedex> warm;     // read-only operations
  std::unique_ptr<Pipedex> indexed;  // the keyed questions the compiled index answers
  std::unique_ptr<Pipedex> writer;   // AddSKEY
  std::unique_ptr<Pipedex> loader;   // LoadProjectXML
  pugi::xml_document document;       // the direct-XPath baseline's own copy
  std::string overlayPath, emptyProjectPath, dumpPath;
};

std::vector<std::string> Split(const std::string& s) {
  std::vector<std::string> out;
  std::stringstream in(s);
  std::string part;
  while (std::getline(in, part, ',')) out.push_back(part);
  return out;
}

// One kind of run measured in fresh processes, and where the medians of its
// CPU time and peak memory are filed.
struct Measured {
  std::string timeName, peakName;
  std::function<LoadMeasure()> measure;
};

// Runs each kind `rounds` times, in turns, so that a noisy stretch of the
// machine weighs on every kind alike and the ratios between them hold; files
// the medians of each.
void FileMedians(const std::vector<Measured>& kinds, BenchResults& results, int rounds) {
  std::vector<std::vector<double>> seconds(kinds.size()), peaks(kinds.size());
  for (int i = 0; i < rounds; ++i)
    for (std::size_t k = 0; k < kinds.size(); ++k) {
      const LoadMeasure m = kinds[k].measure();
      if (m.seconds < 0) continue;
      seconds[k].push_back(m.seconds);
      peaks[k].push_back(m.peakBytes);
    }
  for (std::size_t k = 0; k < kinds.size(); ++k) {
    if (seconds[k].empty()) continue;
    std::sort(seconds[k].begin(), seconds[k].end());
    std::sort(peaks[k].begin(), peaks[k].end());
    const double time = seconds[k][seconds[k].size() / 2], peak = peaks[k][peaks[k].size() / 2];
    results.nanoseconds[kinds[k].timeName] = time * 1e9;
    results.peakBytes[kinds[k].peakName] = peak;
    std::cerr << "  " << kinds[k].timeName << ": " << time * 1e3 << " ms, " << peak / 1e6 << " MB\n";
  }
}

// Parse and initialisation, each in fresh processes.
void MeasureLoads(const CatalogueFile& c, BenchResults& results) {
  std::vector<Measured> kinds;
  for (const std::string mode : {"parse", "init"})
    kinds.push_back({(mode == "parse" ? "init/parse/" : "init/pipedex/") + c.label, mode + "/" + c.label,
                     [mode, &c] { return MeasureLoad(mode, c); }});
  FileMedians(kinds, results, c.bytes > 20e6 ? 3 : 5);
}

// A whole process, from its start to its exit, filed under name + the catalogue's label.
Measured Run(const std::string& name, const std::vector<std::string>& argv, const CatalogueFile& c) {
  return {name + c.label, name + c.label, [argv] { return MeasureProcess(argv); }};
}

// A one-shot CLI call against a process that only parses the same file
// (catalogues over 5 MB), and with the compiled index: the first run, which
// writes it, and the runs after, against a process that only maps the index
// file and against `pipedex --version`.
void MeasureOneShot(const CatalogueFile& c, const std::string& indexHome, BenchResults& results) {
  const std::string folder = ProgramFolder(), cli = folder + "/pipedex";
  const std::vector<std::string> call = {cli, "--component-dir", c.folder, "call", "GetSKEYData", "ELBW"};
  std::vector<std::string> withoutIndex = call;
  withoutIndex.insert(withoutIndex.begin() + 1, "--no-index");
  // The index of this catalogue alone lives in its own folder, which the
  // bench removes before each first run (not the measured process).
  const std::string home = indexHome + "/" + c.label;
  ::setenv("XDG_CACHE_HOME", home.c_str(), 1);
  const Measured first{"oneshot/firstrun/" + c.label, "oneshot/firstrun/" + c.label, [home, call] {
                         std::filesystem::remove_all(home);
                         return MeasureProcess(call);
                       }};
  // The call without the index and the first run in turns: the one is the other's yardstick.
  std::vector<Measured> kinds;
  if (c.bytes > 5e6) {
    kinds.push_back(Run("oneshot/parse/", {folder + "/pipedex-bench", "--measure-load", "parse", c.folder}, c));
    kinds.push_back(Run("oneshot/call/", withoutIndex, c));
  }
  kinds.push_back(first);
  // Seven rounds each (a process is short): the median of a few is too much at the mercy of one slow run.
  constexpr int kRounds = 7;
  FileMedians(kinds, results, kRounds);
  // The call with the index the last first run wrote, in turns with its yardsticks.
  kinds = {Run("oneshot/indexed/", call, c), Run("oneshot/version/", {cli, "--version"}, c)};
  for (const auto& entry : std::filesystem::directory_iterator(home + "/pipedex"))
    kinds.push_back(Run("oneshot/floor/", {folder + "/pipedex-bench-floor", entry.path().string()}, c));
  FileMedians(kinds, results, kRounds);
  ::setenv("XDG_CACHE_HOME", indexHome.c_str(), 1);
}

void RegisterOperations(SizeContext& s, const std::vector<OperationCase>& cases, bool baselines) {
  const std::string& label = s.catalogue.label;
  for (const OperationCase& c : cases) {
    Pipedex* p = s.warm.get();
    auto call = c.call;
    if (IndexAnswers(c.name)) {
      Pipedex* indexed = s.indexed.get();
      benchmark::RegisterBenchmark(("index/" + c.name + "/" + label).c_str(),
                                   [indexed, call](benchmark::State& state) {
                                     for (auto _ : state) call(*indexed);
                                   })
          ->Repetitions(kRepetitions)
          ->ReportAggregatesOnly(true)
          ->MinTime(kMinSeconds);
    }
    benchmark::RegisterBenchmark(("op/" + c.name + "/" + label).c_str(),
                                 [p, call](benchmark::State& state) {
                                   ResetResultLists(*p);
                                   for (auto _ : state) call(*p);
                                 })
        ->Repetitions(kRepetitions)
        ->ReportAggregatesOnly(true)
        ->MinTime(kMinSeconds);
    if (!baselines || !c.baseline) continue;
    pugi::xml_node root = s.document.document_element();
    auto baseline = c.baseline;
    benchmark::RegisterBenchmark(("xpath/" + c.name + "/" + label).c_str(),
                                 [root, baseline](benchmark::State& state) {
                                   for (auto _ : state) baseline(root);
                                 })
        ->Repetitions(kRepetitions)
        ->ReportAggregatesOnly(true)
        ->MinTime(kMinSeconds);
  }
}

void RegisterChanges(SizeContext& s) {
  const std::string& label = s.catalogue.label;
  const bool large = s.catalogue.bytes > 5e6;
  Pipedex* writer = s.writer.get();
  benchmark::RegisterBenchmark(("op/AddSKEY/" + label).c_str(),
                               [writer](benchmark::State& state) {
                                 for (auto _ : state) writer->AddSKEY("ELXX", "", "ELBW");
                               })
      ->Iterations(200)
      ->Repetitions(3)
      ->ReportAggregatesOnly(true);
  Pipedex* warm = s.warm.get();
  const std::string dump = s.dumpPath;
  benchmark::RegisterBenchmark(("op/DumpXML/" + label).c_str(),
                               [warm, dump](benchmark::State& state) {
                                 for (auto _ : state) warm->DumpXML(dump);
                               })
      ->Iterations(large ? 2 : 5)
      ->UseRealTime()
      ->Unit(benchmark::kMillisecond);
  if (label == "sample") return;
  Pipedex* loader = s.loader.get();
  for (const auto& [name, path] : {std::pair<std::string, std::string>{"empty", s.emptyProjectPath},
                                   std::pair<std::string, std::string>{"overlay 100KB", s.overlayPath}}) {
    const std::string file = path;
    benchmark::RegisterBenchmark(("op/LoadProjectXML[" + name + "]/" + label).c_str(),
                                 [loader, file](benchmark::State& state) {
                                   for (auto _ : state) benchmark::DoNotOptimize(loader->LoadProjectXML(file));
                                 })
        ->Iterations(large ? 3 : 10)
        ->Repetitions(3)
        ->ReportAggregatesOnly(true)
        ->Unit(benchmark::kMillisecond);
  }
}

int Run(int argc, char** argv) {
  Options options;
  std::vector<char*> rest = {argv[0]};
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--data-dir" && i + 1 < argc) options.dataDir = argv[++i];
    else if (arg == "--sizes" && i + 1 < argc) {
      auto list = Split(argv[++i]);
      options.sizes = std::set<std::string>(list.begin(), list.end());
    } else rest.push_back(argv[i]);
  }
  // Every instance and process of the run keeps its compiled indexes in the
  // data folder (named absolutely: a relative cache home counts as none).
  const std::string indexHome = std::filesystem::absolute(options.dataDir + "/index-cache").string();
  ::unsetenv("PIPEDEX_CACHE");
  ::setenv("XDG_CACHE_HOME", indexHome.c_str(), 1);
  int restCount = static_cast<int>(rest.size());
  benchmark::Initialize(&restCount, rest.data());

  BenchResults results;
  std::vector<std::unique_ptr<SizeContext>> sizes;
  struct Size {
    std::string key;
    std::size_t target;
    Shape shape;
  };
  const std::vector<Size> all = {{"sample", 0, Shape::Replicas},          {"1", 1'000'000, Shape::Replicas},
                                 {"10", 10'000'000, Shape::Replicas},     {"50", 50'000'000, Shape::Replicas},
                                 {"dense1", 1'000'000, Shape::Dense},     {"dense10", 10'000'000, Shape::Dense},
                                 {"dense30", 30'000'000, Shape::Dense}};
  for (const auto& [key, target, shape] : all) {
    if (!options.sizes.count(key)) continue;
    const std::string label = key == "sample" ? key : key + "MB";
    std::cerr << "Writing the " << label << " catalogue ...\n";
    auto s = std::make_unique<SizeContext>();
    s->catalogue = WriteCatalogue(options.dataDir, label, target, shape);
    results.catalogues.push_back(s->catalogue);
    sizes.push_back(std::move(s));
  }

  if (options.sizes.count("variant")) {
    std::cerr << "Measuring the initialisation of 20 MB catalogues with and without a language variant ...\n";
    MeasureVariantLoads(options.dataDir, results);
  }
  const auto cases = ReadOperationCases();
  for (auto& s : sizes) {
    const CatalogueFile& c = s->catalogue;
    if (c.label != "sample") {
      std::cerr << "Measuring the raw parse and the initialisation of " << c.label << " ...\n";
      MeasureLoads(c, results);
      MeasureOneShot(c, indexHome, results);
    }
    const bool largest = c.bytes > 20e6;
    // The largest dense catalogue is measured for its initialisation and
    // one-shot call only, which keeps the run short.
    if (largest && c.shape == Shape::Dense) continue;
    std::cerr << "Preparing warm instances for " << c.label << " ...\n";
    s->warm = OpenCatalogue(c);
    s->warm->GroupCount();
    OpenCatalogue(c, true)->GroupCount();  // loads the files and writes the index
    s->indexed = OpenCatalogue(c, true);
    s->indexed->GetDefaultCategory("ELBW");  // opens the index
    if (largest) {
      // The largest catalogue shows how the operations grow beyond 10 MB:
      // the read operations only, without baselines.
      RegisterOperations(*s, cases, false);
      continue;
    }
    s->writer = OpenCatalogue(c);
    s->writer->GroupCount();
    s->loader = OpenCatalogue(c);
    s->loader->GroupCount();
    s->document.load_file(c.path.c_str());
    // A dense catalogue holds one copy of the sample: its overlay names the sample's groups and types.
    s->overlayPath = WriteFile(options.dataDir + "/overlay-" + c.label + ".xml",
                               GenerateOverlay(c.replicas, 100'000));
    s->emptyProjectPath = WriteFile(options.dataDir + "/empty-project.xml",
                                    "<?xml version=\"1.0\"?>\n<ZENROD-ISOMETRICS-DATA/>\n");
    s->dumpPath = options.dataDir + "/dump-" + c.label + ".xml";
    RegisterOperations(*s, cases, true);
    RegisterChanges(*s);
  }

  CollectingReporter reporter(results);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  PrintSummary(std::cout, results, cases);
  return 0;
}

}  // namespace
}  // namespace pipedex::bench

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--measure-load") return pipedex::bench::MeasureLoadChild(argv[2], argv[3]);
  if (argc >= 3 && std::string(argv[1]) == "--measure-process")
    return pipedex::bench::MeasureProcessChild(std::vector<std::string>(argv + 2, argv + argc));
  try {
    return pipedex::bench::Run(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << "pipedex-bench: " << e.what() << "\n";
    return 1;
  }
}
