// pipedex-generate-catalogue: writes a synthetic catalogue of about a given
// size (the sample catalogue with replicas of its entries), or a project
// overlay for it.
//
//   pipedex-generate-catalogue --size-mb 10 --out /tmp/big/SystemPipedex.xml
//   pipedex-generate-catalogue --size-mb 10 --overlay-kb 100 --out /tmp/overlay.xml

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "catalogue_generator.h"

int main(int argc, char** argv) {
  std::string sample = PIPEDEX_SAMPLE_CATALOGUE;
  std::string out;
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
    else {
      std::cerr << "usage: " << argv[0] << " --size-mb N [--overlay-kb K] [--sample FILE] --out FILE\n";
      return 2;
    }
  }
  if (out.empty()) {
    std::cerr << "--out is required\n";
    return 2;
  }
  try {
    const auto replicas = pipedex::bench::ReplicasForSize(sample, static_cast<std::size_t>(sizeMB * 1e6));
    const std::string text = overlayKB > 0
                                 ? pipedex::bench::GenerateOverlay(replicas, static_cast<std::size_t>(overlayKB * 1e3))
                                 : pipedex::bench::GenerateCatalogue(sample, replicas);
    const auto folder = std::filesystem::path(out).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder);
    std::ofstream file(out, std::ios::binary);
    file << text;
    if (!file) throw std::runtime_error("cannot write " + out);
    std::cout << out << ": " << text.size() << " bytes, " << replicas << " replicas\n";
  } catch (const std::exception& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
  return 0;
}
