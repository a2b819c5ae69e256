#include <gtest/gtest.h>

#include <filesystem>

#include "base/text.h"
#include "catalogue_generator.h"
#include "operation_sweep.h"
#include "temp_dir.h"
#include "test_support.h"

namespace pipedex::testing {
namespace {

// A catalogue of about 1 MB with the sample's German variant beside it.
struct GeneratedFiles {
  GeneratedFiles() {
    const std::string sample = SampleDataDir() + "/SystemPipedex.xml";
    files.Write("SystemPipedex.xml", bench::GenerateCatalogue(sample, bench::ReplicasForSize(sample, 1 << 20)));
    files.Write("SystemPipedex.de.xml", ReadFile(SampleDataDir() + "/SystemPipedex.de.xml"));
  }
  std::unique_ptr<Pipedex> Instance(const std::string& indexFolder) const {
    return std::make_unique<Pipedex>(
        MakeSystemPlatform({files.path(), files.File("no-registry.reg"), "de_DE", indexFolder}));
  }
  TempDir files, cache;
};

// Every operation of the protocol asks the same questions of an instance
// answering from its files and of one opened on the index an earlier
// instance wrote: every SKEY of the catalogue (with its generic and suffix
// forms), every component type (in other letter cases, and extended) and
// the attribute names of the records up to 400 (and one more member) for the
// keyed operations, the usual draws for the others.
// Each operation starts on a fresh pair, so that one that changes the
// catalogue changes both alike.
TEST(CompiledIndex, EveryOperationAnswersAsTheFilesDo) {
  const GeneratedFiles g;
  g.Instance(g.cache.path())->GetDefaultCategory("ELBW");  // loads the files and writes the index
  ASSERT_EQ(std::distance(std::filesystem::directory_iterator(g.cache.path()), {}), 1);

  auto reference = g.Instance("off");
  std::vector<std::string> pool = NamePool(*reference);
  reference->FindSKEYs("");
  for (std::int32_t i = 1; i <= reference->SKEYCount(); ++i) {
    const std::string skey = reference->GetSKEY(i);
    pool.insert(pool.end(), {skey, skey.substr(0, 2) + "**", skey.substr(0, 2) + "BW", skey + "X"});
  }
  reference->FindComponentTypes("", "", "");
  for (std::int32_t i = 1; i <= reference->ComponentTypeCount(); ++i) {
    const std::string type = reference->GetComponentType(i);
    std::string lower = type;
    for (char& c : lower) c = text::AsciiLower(c);
    pool.insert(pool.end(), {type, lower, type + "X"});
  }
  for (std::int32_t record = -1; record <= 400; ++record)
    if (const std::string name = reference->GetPCFAttribute(record); !name.empty()) pool.insert(pool.end(), {name, name + "1"});
  const OperationSweep sweep(g.files.path());
  for (const cli::Operation* op : sweep.operations) {
    auto fromFiles = g.Instance("off"), fromIndex = g.Instance(g.cache.path());
    const bool keyed = op->name.find("SKEY") != std::string::npos || op->name.find("ComponentType") != std::string::npos ||
                       op->name == "GetDefaultCategory" || op->name == "GetIsoPriority" ||
                       op->name == "IsOperationSupported" || op->name == "HasFlag" ||
                       op->name.find("Attribute") != std::string::npos || op->name.find("Default") != std::string::npos ||
                       op->name.find("Angle") != std::string::npos;
    const std::size_t draws = keyed ? pool.size() : 96;
    for (std::size_t k = 0; k < draws; ++k) {
      const cli::Args args = OperationSweep::Arguments(*op, pool, k);
      ASSERT_EQ(OperationSweep::Answer(*fromIndex, *op, args), OperationSweep::Answer(*fromFiles, *op, args))
          << op->name << " draw " << k;
    }
  }
  // The record questions, for every record the PCF types and the attribute map hold (the draws stop at 47).
  auto fromFiles = g.Instance("off"), fromIndex = g.Instance(g.cache.path());
  for (std::int32_t record = -1; record <= 400; ++record) {
    ASSERT_EQ(fromIndex->GetDefaultPCFTYPE(record), fromFiles->GetDefaultPCFTYPE(record)) << record;
    ASSERT_EQ(fromIndex->GetPCFAttribute(record), fromFiles->GetPCFAttribute(record)) << record;
  }
}

// A later definition of an SKEY or component type takes the place of the
// first in its list, so a list can name its elements out of document order:
// reversed here, with elements no list names between them. The run that
// writes the index answers from it, and so does the next.
TEST(CompiledIndex, ListsOutOfDocumentOrderAnswerAsTheFilesDo) {
  std::string skeys, types;
  for (int round = 0; round < 2; ++round)
    for (int i = 0; i < 30; ++i) {
      const std::string n = std::to_string(round == 0 ? i : 29 - i);
      skeys += "<SKEY Description=\"" + std::to_string(round) + "\">S" + n + "</SKEY><NOTSKEY/>";
      types += "<T" + n + " Round=\"" + std::to_string(round) + "\"><SKEY>S" + n + "</SKEY></T" + n + "><!-- c -->";
    }
  TempDir files, cache;
  files.Write("SystemPipedex.xml", Catalogue("<A_CPT><G>" + types + "</G></A_CPT><A_SKEY>" + skeys + "</A_SKEY>"));
  auto instance = [&](const std::string& indexFolder) {
    return std::make_unique<Pipedex>(
        MakeSystemPlatform({files.path(), files.File("no-registry.reg"), "en_US", indexFolder}));
  };
  auto fromFiles = instance("off"), written = instance(cache.path()), opened = instance(cache.path());
  auto answers = [](Pipedex& p, int i) {
    std::string d, c1, c2, c3, c4;
    const std::string n = std::to_string(i);
    return std::to_string(p.GetSKEYData("S" + n, d, c1, c2, c3, c4)) + d + "|" +
           p.GetComponentTypeAttribute("T" + n, "Round");
  };
  for (int i = 0; i < 30; ++i) {
    const std::string expected = answers(*fromFiles, i);
    ASSERT_EQ(expected, "11|1") << i;
    ASSERT_EQ(answers(*written, i), expected) << i;
  }
  ASSERT_EQ(std::distance(std::filesystem::directory_iterator(cache.path()), {}), 1);
  for (int i = 29; i >= 0; --i) ASSERT_EQ(answers(*opened, i), answers(*fromFiles, i)) << i;
}

}  // namespace
}  // namespace pipedex::testing
