#include "base/encoding.h"

#include <iconv.h>

#include <cerrno>

namespace pipedex::encoding {

bool ToUtf8(std::string_view bytes, const std::string& from, std::string& out, bool& unsupported,
            std::size_t& badAt) {
  unsupported = false;
  iconv_t cd = iconv_open("UTF-8", from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    unsupported = true;
    return false;
  }
  out.assign(bytes.size() + bytes.size() / 2 + 16, '\0');
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  std::size_t produced = 0;
  bool ok = true;
  while (true) {
    char* dst = out.data() + produced;
    std::size_t outLeft = out.size() - produced;
    std::size_t r = iconv(cd, inLeft > 0 ? &in : nullptr, &inLeft, &dst, &outLeft);
    produced = out.size() - outLeft;
    if (r != static_cast<std::size_t>(-1)) {
      if (inLeft == 0) break;
      continue;
    }
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    ok = false;  // EILSEQ or EINVAL: a sequence that is not (completely) in the encoding
    break;
  }
  iconv_close(cd);
  out.resize(produced);
  badAt = produced;
  return ok;
}

}  // namespace pipedex::encoding
