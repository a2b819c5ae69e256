// Arbitrary bytes as what an editor sends `pipedex lsp`: the framing reader
// never keeps more than its cap, always consumes input, gives back exactly
// the bodies the headers announce (a written message reads back whole), and
// every body it gives goes to the server, which answers each in one framed
// message of JSON and never fails.

#include <cstdlib>
#include <sstream>

#include "framing.h"
#include "server.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace pipedex::lsp;
  constexpr std::size_t kCap = 4096;  // small, so that skipping over the cap is reached
  std::istringstream in(std::string(reinterpret_cast<const char*>(bytes), size));
  std::ostringstream out;
  Server server(out, Workspace{});
  std::string body;
  for (std::streamoff before = 0;;) {
    const ReadResult read = ReadMessage(in, body, kCap);
    if (read == ReadResult::End) break;
    const std::streamoff after = in.tellg();
    if (after <= before || body.size() > kCap || (read != ReadResult::Message && !body.empty())) std::abort();
    before = after;
    if (read != ReadResult::Message) continue;
    std::ostringstream again;
    WriteMessage(again, body);
    std::istringstream back(again.str());
    std::string copy;
    if (ReadMessage(back, copy, kCap) != ReadResult::Message || copy != body) std::abort();
    if (!server.Handle(body)) break;
  }
  // What the server wrote is a sequence of whole messages, each JSON.
  std::istringstream written(out.str());
  while (ReadMessage(written, body) == ReadResult::Message)
    if (!nlohmann::json::accept(body)) std::abort();
  return 0;
}
