#pragma once

// Reading a whole file and replacing one, the one way the library does each.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace pipedex::files {

enum class ReadStatus { Ok, Unreadable, TooLarge };

// Reads a whole regular file of at most maxSize bytes into out. The file is
// opened without waiting (a pipe with no writer would block for ever);
// anything but a regular file is Unreadable, and a file larger than maxSize,
// or one that grows past it while it is read, is TooLarge.
ReadStatus ReadWholeFile(const std::string& path, std::size_t maxSize, std::string& out);

// Reads from fd into the size bytes at data until they are full or the file
// ends, going on after short reads and interruptions; got is the bytes read.
// Answers zero when the reads succeeded, else the errno of the one that failed.
int ReadFull(int fd, char* data, std::size_t size, std::size_t& got);

// Writes all of bytes to fd, going on after short writes and interruptions.
// Answers zero when every byte was written, else the errno of the write that failed.
int WriteAll(int fd, std::string_view bytes);

// Whether a new file is flushed to the disk before it is put in place, and
// its folder after: a saved document is; a file its readers check in full
// before they trust it (and can do without) need not wait for the disk.
enum class Flush : bool { No, Yes };

// Puts a new file in path's place (the file its symbolic links name):
// write(fd) fills a new file beside it (open for reading too) and answers 0
// or an errno; the file is flushed (unless flush says not) and renamed into
// place, so every failure leaves the old file as it was and no new file
// behind. A replaced file keeps its owner, mode and extended attributes; only
// a regular, writable file with one name is replaced.
// Raises pipedex::Error (kXmlService) "Could not save the document to PATH : why".
void ReplaceFile(const std::string& path, const std::function<int(int fd)>& write, Flush flush = Flush::Yes);

}  // namespace pipedex::files
