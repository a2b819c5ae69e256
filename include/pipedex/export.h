#pragma once

// PIPEDEX_API marks what the shared library exports: the public classes and
// free functions of these headers. Everything else in the library is built
// with hidden visibility, so internal changes do not change its ABI.
#if defined(_WIN32) || defined(__CYGWIN__)
#  define PIPEDEX_API
#elif defined(__GNUC__) || defined(__clang__)
#  define PIPEDEX_API __attribute__((visibility("default")))
#else
#  define PIPEDEX_API
#endif
