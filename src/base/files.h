#pragma once

// Reading a whole file, the one way the library does it.

#include <cstddef>
#include <string>

namespace pipedex::files {

enum class ReadStatus { Ok, Unreadable, TooLarge };

// Reads a whole regular file of at most maxSize bytes into out. The file is
// opened without waiting (a pipe with no writer would block for ever);
// anything but a regular file is Unreadable, and a file larger than maxSize,
// or one that grows past it while it is read, is TooLarge.
ReadStatus ReadWholeFile(const std::string& path, std::size_t maxSize, std::string& out);

}  // namespace pipedex::files
