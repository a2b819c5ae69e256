// Arbitrary bytes as "SystemPipedex.xml" (and as a project file and a
// language variant beside it). Whatever loads is saved with DumpXML, and the
// saved file must load again and answer the same counts. Then operations
// chosen by the fuzzer with arguments it chooses; inputs that hold nothing
// after the files call every operation instead. Whatever loads, once the
// calls are made, is saved and must load again.

#include <cstdlib>

#include "base/xml_document.h"
#include "fuzz_support.h"

namespace {

std::string Counts(pipedex::Pipedex& p) {
  return std::to_string(p.GroupCount()) + " " + std::to_string(p.ComponentTypeCount()) + " " +
         std::to_string(p.SKEYCount()) + " " + std::to_string(p.EndPrepCount()) + " " +
         std::to_string(p.ConfigurationCount()) + " " + std::to_string(p.OperationCount());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace pipedex::fuzz;
  static const Harness harness;
  FuzzedDataProvider data(bytes, size);
  const std::string system = data.ConsumeRandomLengthString(size);
  const std::string project = data.ConsumeRandomLengthString(size);
  const std::string language = data.ConsumeRandomLengthString(size);
  harness.scratch.Write("SystemPipedex.xml", system);
  harness.scratch.Write("project.xml", project);
  if (language.empty()) harness.scratch.Remove("SystemPipedex.en.xml");
  else harness.scratch.Write("SystemPipedex.en.xml", language);
  harness.scratch.Remove("dump.xml");

  auto instance = harness.NewInstance();
  if (Loads(*instance)) {
    const std::string before = Counts(*instance);
    instance->DumpXML(harness.scratch.File("dump.xml"));
    harness.scratch.Write("SystemPipedex.xml", harness.scratch.Read("dump.xml"));
    harness.scratch.Remove("dump.xml");
    auto again = harness.NewInstance();
    if (!Loads(*again) || Counts(*again) != before) std::abort();
  }
  const auto pool = pipedex::testing::NamePool(*instance);
  if (data.remaining_bytes() == 0) {
    Sweep(*instance, harness, pool, Loads(*instance) ? 3 : 1);
  } else {
    FuzzedCalls(*instance, harness, pool, data, 64);
  }
  // Whatever the calls (AddSKEY among them) put into the document, its saved
  // form loads again.
  if (Loads(*instance)) {
    try {
      instance->DumpXML(harness.scratch.File("dump.xml"));
    } catch (const pipedex::Error&) {
      return 0;
    }
    pugi::xml_document saved;
    pipedex::xml::ParseError error;
    if (!pipedex::xml::LoadFile(saved, harness.scratch.File("dump.xml"), error)) std::abort();
  }
  return 0;
}
