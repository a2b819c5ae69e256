// Compiled index files damaged by the fuzzer: the input is a list of byte
// changes to a genuine index of the sample (and, by its first byte, whether
// the damaged payload is written again with hashes that fit it). With the
// hashes as written, every answer must be the one the files give (the index
// is refused, or falls back to the files where a block fails its hash);
// with hashes that fit, the payload is trusted as written, so answers may
// differ, but nothing may crash, hang or read outside the file.

#include <cstdlib>
#include <cstring>

#include "cache/index_file.h"
#include "fuzz_support.h"

namespace {

using pipedex::Pipedex;

std::unique_ptr<Pipedex> Instance(const pipedex::fuzz::Harness& h, const std::string& indexFolder) {
  return std::make_unique<Pipedex>(pipedex::MakeSystemPlatform(
      {h.scratch.path(), h.scratch.File("no-registry.reg"), "de_DE", indexFolder}));
}

// The answers to the questions an index answers, and one it does not (which
// loads the files); an error a question raises (a trusted payload may hold
// texts no catalogue would) is its answer.
std::string Answers(Pipedex& p) {
  std::string out;
  auto ask = [&out](const auto& question) {
    try {
      out += question();
    } catch (const pipedex::Error& e) {
      out += "error ";
      out += std::to_string(e.number());
    }
    out += "|";
  };
  for (const char* skey : {"ELBW", "EL**", "ELBWBW", "TEBW", "FLWN", "PB3D", "ZZZZ", ""}) {
    ask([&] {
      std::string d, c1, c2, c3, c4;
      return std::to_string(p.GetSKEYData(skey, d, c1, c2, c3, c4)) + d + c1 + c2 + c3 + c4 + "|" +
             p.GetDefaultCategory(skey) + std::to_string(p.GetIsoPriority(skey)) + p.GetSKEYAttribute(skey, "CP_2_PREP");
    });
  }
  for (const char* type : {"Elbow-90-V", "ELBOW-45", "Tee", "Nowhere"}) {
    ask([&] {
      std::string group, pcf, configuration, description;
      return std::to_string(p.GetComponentTypeData(type, group, pcf, configuration, description)) + group + pcf +
             configuration + description + std::to_string(p.HasFlag(type, pipedex::Flags{1}));
    });
  }
  for (const char* att : {"ITEM-CODE", "COMPONENT-ATTRIBUTE1", "NOTHING"})
    ask([&] { return std::to_string(p.PCFAttributeCheck(att)) + std::to_string(p.GetIDFAttribute(att)); });
  for (std::int32_t i : {1, 2, 100, 105}) {
    ask([&] { return p.GetGroup(i) + p.GetEndPrep(i) + p.GetConfiguration(i) + p.GetDefaultPCFTYPE(i); });
    ask([&] { return p.GetPCFAttribute(i); });
  }
  ask([&] { return p.GetEndPrepAttribute("BW--", "Description") + p.GetGroupAttribute("Elbows", "Description"); });
  ask([&] {
    std::string elbows;
    for (const pipedex::DefaultElbowInfo& elbow : p.DefaultElbows())
      elbows += elbow.ComponentType + std::to_string(elbow.Angle);
    bool trimmed = false;
    double angle = 0;
    p.GetAngleComponentData("Elbow-90-V", 50, trimmed, angle);
    return elbows + std::to_string(trimmed) + std::to_string(angle);
  });
  ask([&] { return std::to_string(p.FindSKEYs("")); });  // a search: loads the files
  return out;
}

struct Genuine {
  Genuine() {
    std::ifstream variant(PIPEDEX_SAMPLE_DATA "/SystemPipedex.de.xml", std::ios::binary);
    harness.scratch.Write("SystemPipedex.de.xml", {std::istreambuf_iterator<char>(variant), {}});
    Instance(harness, harness.scratch.File("cache"))->GetDefaultCategory("ELBW");  // writes the index
    for (const auto& entry : std::filesystem::directory_iterator(harness.scratch.File("cache"))) path = entry.path();
    index = harness.scratch.Read("cache/" + std::filesystem::path(path).filename().string());
    stamp = pipedex::cache::MappedIndex::ReadStamp(path);
    expected = Answers(*Instance(harness, "off"));
    if (!stamp || Answers(*Instance(harness, harness.scratch.File("cache"))) != expected) std::abort();
  }
  pipedex::fuzz::Harness harness{"SystemPipedex.xml"};
  std::string path, index, expected;
  std::unique_ptr<pipedex::cache::Stamp> stamp;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  static Genuine genuine;
  FuzzedDataProvider data(bytes, size);
  const bool rehash = data.ConsumeBool();
  std::string damaged = genuine.index;
  while (data.remaining_bytes() >= 5) {
    const auto at = data.ConsumeIntegralInRange<std::size_t>(0, damaged.size() - 1);
    damaged[at] = static_cast<char>(data.ConsumeIntegral<std::uint8_t>());
  }
  if (rehash) {
    // The payload starts at the first page boundary after the stamp; the header says where, and how long it is.
    std::uint64_t payloadOffset, payloadSize;
    std::memcpy(&payloadOffset, genuine.index.data() + 48, sizeof payloadOffset);
    std::memcpy(&payloadSize, genuine.index.data() + 56, sizeof payloadSize);
    pipedex::cache::WriteIndex(genuine.path, *genuine.stamp,
                               {std::string_view(damaged).substr(payloadOffset, payloadSize)});
  } else {
    std::ofstream(genuine.path, std::ios::binary | std::ios::trunc) << damaged;
  }
  const std::string answers = Answers(*Instance(genuine.harness, genuine.harness.scratch.File("cache")));
  if (!rehash && answers != genuine.expected) std::abort();
  return 0;
}
