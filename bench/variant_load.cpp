#include "variant_load.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "bench_support.h"
#include "catalogue_generator.h"

namespace pipedex::bench {
namespace {

constexpr std::size_t kTargetBytes = 20'000'000;

std::string Sample() {
  std::ifstream in(PIPEDEX_SAMPLE_CATALOGUE, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

// The sample with a group "Bulk" first in A_CPT: one component type whose
// SKEYs make half the bytes, then component types of one name with a few each.
std::string LargeTextCatalogue() {
  std::string bulk = "<Bulk Description=\"bulk\"><Huge Description=\"huge\">";
  for (std::size_t i = 0; bulk.size() < kTargetBytes / 2; ++i) bulk += "<SKEY>H" + std::to_string(i) + "</SKEY>";
  bulk += "</Huge>";
  for (std::size_t i = 0; bulk.size() < kTargetBytes; ++i)
    bulk += "<Many Description=\"m\"><SKEY>M" + std::to_string(i) + "A</SKEY><SKEY>M" + std::to_string(i) +
            "B</SKEY></Many>";
  bulk += "</Bulk>";
  std::string text = Sample();
  const std::size_t at = text.find("<A_CPT>");
  if (at == std::string::npos) throw std::runtime_error("the sample has no A_CPT");
  text.insert(at + 7, bulk);
  return text;
}

double MedianInit(const CatalogueFile& c) {
  std::vector<double> seconds;
  for (int i = 0; i < 3; ++i)
    if (const LoadMeasure m = MeasureLoad("init", c); m.seconds >= 0) seconds.push_back(m.seconds);
  if (seconds.empty()) return -1;
  std::sort(seconds.begin(), seconds.end());
  return seconds[seconds.size() / 2];
}

}  // namespace

void MeasureVariantLoads(const std::string& dataDir, BenchResults& results) {
  const std::vector<std::pair<std::string, std::string>> shapes = {
      {"generated", GenerateCatalogue(PIPEDEX_SAMPLE_CATALOGUE, ReplicasForSize(PIPEDEX_SAMPLE_CATALOGUE, kTargetBytes))},
      {"large-text", LargeTextCatalogue()}};
  for (const auto& [shape, text] : shapes) {
    double without = -1;
    for (const bool variant : {false, true}) {
      CatalogueFile c;
      c.label = (variant ? "variant-en/" : "variant-none/") + shape;
      c.folder = dataDir + "/" + c.label;
      c.path = WriteFile(c.folder + "/SystemPipedex.xml", text);
      c.bytes = text.size();
      if (variant) WriteFile(c.folder + "/SystemPipedex.en.xml", text);
      const double seconds = MedianInit(c);
      results.nanoseconds["init/" + c.label] = seconds * 1e9;
      std::cerr << "  init " << c.label << " (" << c.bytes / 1e6 << " MB): " << seconds * 1e3 << " ms";
      if (variant && without > 0) std::cerr << ", " << seconds / without << "x without a variant";
      std::cerr << "\n";
      if (!variant) without = seconds;
    }
  }
}

}  // namespace pipedex::bench
