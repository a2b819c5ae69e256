#pragma once

// A fresh folder of its own, removed with everything in it when it goes out
// of scope: what the tests and the fuzz targets write their files into.

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace pipedex::testing {

class TempDir {
 public:
  explicit TempDir(const std::string& root = std::filesystem::temp_directory_path().string()) {
    std::string pattern = root + "/pipedex-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string File(const std::string& relative) const { return path_ + "/" + relative; }
  // Writes a file (creating folders) and returns its full path.
  std::string Write(const std::string& relative, const std::string& content) const {
    const std::filesystem::path full = File(relative);
    std::filesystem::create_directories(full.parent_path());
    std::ofstream(full, std::ios::binary | std::ios::trunc).write(content.data(), static_cast<std::streamsize>(content.size()));
    return full.string();
  }
  void Remove(const std::string& relative) const { ::unlink(File(relative).c_str()); }
  // A file's content ("" when missing).
  std::string Read(const std::string& relative) const {
    std::ifstream in(File(relative), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  std::string path_;
};

}  // namespace pipedex::testing
