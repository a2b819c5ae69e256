// pipedex-generate-catalogue: writes a synthetic catalogue of about a given
// size, or a project overlay for it. Shape "replicas" (the default) is the
// sample catalogue with replicas of its entries, shape "dense" the sample
// followed by blocks of many small entries (dense_catalogue.h).
//
//   pipedex-generate-catalogue --size-mb 10 --out /tmp/big/SystemPipedex.xml
//   pipedex-generate-catalogue --shape dense --size-mb 30 --out /tmp/dense/SystemPipedex.xml
//   pipedex-generate-catalogue --size-mb 10 --overlay-kb 100 --out /tmp/overlay.xml

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "catalogue_generator.h"
#include "dense_catalogue.h"

int main(int argc, char** argv) {
  std::string sample = PIPEDEX_SAMPLE_CATALOGUE;
  std::string out;
  std::string shape = "replicas";
  double sizeMB = 1;
  double overlayKB = 0;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::cerr << arg << " needs a value\n";
        std::exit(2);
      }
      return argv[++i];
    };
    if (arg == "--size-mb") sizeMB = std::stod(value());
    else if (arg == "--overlay-kb") overlayKB = std::stod(value());
    else if (arg == "--sample") sample = value();
    else if (arg == "--out") out = value();
    else if (arg == "--shape") shape = value();
    else {
      std::cerr << "usage: " << argv[0]
                << " --size-mb N [--shape replicas|dense] [--overlay-kb K] [--sample FILE] --out FILE\n";
      return 2;
    }
  }
  if (shape != "replicas" && shape != "dense") {
    std::cerr << "--shape is replicas or dense\n";
    return 2;
  }
  const bool dense = shape == "dense";
  if (out.empty()) {
    std::cerr << "--out is required\n";
    return 2;
  }
  try {
    const auto bytes = static_cast<std::size_t>(sizeMB * 1e6);
    // Copies of the sample (replicas) or blocks after it (dense); an overlay
    // for a dense catalogue names the sample's groups and types only.
    const auto replicas = dense ? pipedex::bench::DenseBlocksForSize(sample, bytes)
                                : pipedex::bench::ReplicasForSize(sample, bytes);
    const std::string text =
        overlayKB > 0 ? pipedex::bench::GenerateOverlay(dense ? 1 : replicas, static_cast<std::size_t>(overlayKB * 1e3))
        : dense       ? pipedex::bench::GenerateDenseCatalogue(sample, replicas)
                      : pipedex::bench::GenerateCatalogue(sample, replicas);
    const auto folder = std::filesystem::path(out).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder);
    std::ofstream file(out, std::ios::binary);
    file << text;
    if (!file) throw std::runtime_error("cannot write " + out);
    std::cout << out << ": " << text.size() << " bytes, " << replicas << (dense ? " blocks\n" : " replicas\n");
  } catch (const std::exception& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
  return 0;
}
