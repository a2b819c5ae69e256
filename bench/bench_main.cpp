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

// Runs measure() a few times (fewer on the largest catalogues) and files the
// medians of its CPU time under timeName and of its peak memory under peakName.
template <typename Measure>
void FileMedians(const CatalogueFile& c, const std::string& timeName, const std::string& peakName, Measure measure,
                 BenchResults& results) {
  std::vector<double> seconds, peaks;
  for (int i = 0; i < (c.bytes > 20e6 ? 3 : 5); ++i) {
    const LoadMeasure m = measure();
    if (m.seconds < 0) continue;
    seconds.push_back(m.seconds);
    peaks.push_back(m.peakBytes);
  }
  if (seconds.empty()) return;
  std::sort(seconds.begin(), seconds.end());
  std::sort(peaks.begin(), peaks.end());
  results.nanoseconds[timeName] = seconds[seconds.size() / 2] * 1e9;
  results.peakBytes[peakName] = peaks[peaks.size() / 2];
  std::cerr << "  " << timeName << ": " << seconds[seconds.size() / 2] * 1e3 << " ms, "
            << peaks[peaks.size() / 2] / 1e6 << " MB\n";
}

// Parse and initialisation, each in fresh processes.
void MeasureLoads(const CatalogueFile& c, BenchResults& results) {
  for (const std::string mode : {"parse", "init"})
    FileMedians(c, (mode == "parse" ? "init/parse/" : "init/pipedex/") + c.label, mode + "/" + c.label,
                [&] { return MeasureLoad(mode, c); }, results);
}

// A whole process, from its start to its exit, filed under name + the catalogue's label.
void MeasureRuns(const std::string& name, const std::vector<std::string>& argv, const CatalogueFile& c,
                 BenchResults& results) {
  FileMedians(c, name + c.label, name + c.label, [&] { return MeasureProcess(argv); }, results);
}

// A one-shot CLI call against a process that only parses the same file
// (catalogues over 5 MB), and with the compiled index: the first run, which
// writes it, and the runs after, against a process that only maps the index
// file and against `pipedex --version`.
void MeasureOneShot(const CatalogueFile& c, const std::string& indexHome, BenchResults& results) {
  const std::string folder = ProgramFolder(), cli = folder + "/pipedex";
  const std::vector<std::string> call = {"call", "GetSKEYData", "ELBW"};
  auto with = [](std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  if (c.bytes > 5e6) {
    MeasureRuns("oneshot/parse/", {folder + "/pipedex-bench", "--measure-load", "parse", c.folder}, c, results);
    MeasureRuns("oneshot/call/", with({cli, "--no-index", "--component-dir", c.folder}, call), c, results);
  }
  // The index of this catalogue alone lives in its own folder, removed before each first run.
  const std::string home = indexHome + "/" + c.label;
  std::string quoted = "'" + cli + "' --component-dir '" + c.folder + "'";
  for (const std::string& word : call) quoted += " " + word;
  MeasureRuns("oneshot/firstrun/",
              {"/bin/sh", "-c", "rm -rf '" + home + "' && XDG_CACHE_HOME='" + home + "' exec " + quoted}, c, results);
  ::setenv("XDG_CACHE_HOME", home.c_str(), 1);
  MeasureRuns("oneshot/indexed/", with({cli, "--component-dir", c.folder}, call), c, results);
  MeasureRuns("oneshot/version/", {cli, "--version"}, c, results);
  for (const auto& entry : std::filesystem::directory_iterator(home + "/pipedex"))
    MeasureRuns("oneshot/floor/", {folder + "/pipedex-bench-floor", entry.path().string()}, c, results);
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
