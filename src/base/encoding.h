#pragma once

// Conversion of text in another encoding to UTF-8 (iconv), shared by the XML
// document service and the registry file reader.

#include <cstddef>
#include <string>
#include <string_view>

namespace pipedex::encoding {

// Converts bytes in encoding `from` (an iconv name such as "UTF-16LE" or
// "ISO-8859-1") to UTF-8 in `out`. Returns false with `unsupported` set when
// the encoding is unknown; false with `out` holding the text converted before
// the first byte sequence that is not (completely) in the encoding, and
// `badAt` its length, when the bytes are not all in it; true otherwise.
bool ToUtf8(std::string_view bytes, const std::string& from, std::string& out, bool& unsupported,
            std::size_t& badAt);

}  // namespace pipedex::encoding
