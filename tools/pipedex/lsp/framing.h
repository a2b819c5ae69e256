#pragma once

// The base protocol of a language server: each message is a header block
// ("Content-Length: N" among lines ending in CRLF, then an empty line) and N
// bytes of JSON body. Reading is bounded: a header line, the number of header
// lines and a body each have a cap, and whatever exceeds one is skipped, never kept.

#include <cstddef>
#include <istream>
#include <ostream>
#include <string>

namespace pipedex::lsp {

inline constexpr std::size_t kMaxHeaderLine = 1024;
inline constexpr std::size_t kMaxHeaderLines = 32;
// Room for a 50 MB catalogue sent as a JSON string, with every byte escaped twice over.
inline constexpr std::size_t kMaxBody = std::size_t{256} << 20;

enum class ReadResult {
  Message,    // `body` holds the next message
  End,        // the input ended, before or inside a message
  BadHeader,  // a header block without one valid Content-Length, consumed up to its empty line
  TooLarge    // a body over kMaxBody (or the header's cap), skipped
};

ReadResult ReadMessage(std::istream& in, std::string& body, std::size_t maxBody = kMaxBody);
void WriteMessage(std::ostream& out, const std::string& body);

}  // namespace pipedex::lsp
