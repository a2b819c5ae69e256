#pragma once

// Texts kept side by side in large blocks: each stored text costs its bytes
// and nothing else, and stays where it is until the store is dropped, so the
// views handed out stay valid while the store grows.

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace pipedex::model {

class TextStore {
 public:
  TextStore() = default;
  TextStore(TextStore&&) noexcept = default;
  TextStore& operator=(TextStore&&) noexcept = default;
  // Views into a store must not outlive it, so it is never copied.
  TextStore(const TextStore&) = delete;
  TextStore& operator=(const TextStore&) = delete;

  // A copy of text that stays valid as long as the store.
  std::string_view Add(std::string_view text) {
    if (text.empty()) return {};
    if (text.size() > left_) {
      // A long text gets a block of its own; the current block stays in use.
      if (text.size() > kBlock / 4) return {Place(Allocate(text.size()), text), text.size()};
      next_ = Allocate(kBlock);
      left_ = kBlock;
    }
    const char* at = Place(next_, text);
    next_ += text.size();
    left_ -= text.size();
    return {at, text.size()};
  }

 private:
  static constexpr std::size_t kBlock = 16384;
  char* Allocate(std::size_t size) {
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
    return blocks_.back().get();
  }
  static const char* Place(char* at, std::string_view text) {
    std::memcpy(at, text.data(), text.size());
    return at;
  }

  std::vector<std::unique_ptr<char[]>> blocks_;
  char* next_ = nullptr;
  std::size_t left_ = 0;
};

}  // namespace pipedex::model
