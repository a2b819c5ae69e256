#pragma once

// Where compiled bytes go: appended in order, and written over where a
// compile learns a value only after its bytes were given (a record's next
// sibling, a header's counts). A large compile streams through such an output
// to its file instead of being held whole in memory.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace pipedex::flat {

class Output {
 public:
  // Adds bytes at the end.
  virtual void Append(std::string_view bytes) = 0;
  // Writes bytes over those at `at` (counted from the output's start), all
  // of which were appended before.
  virtual void Overwrite(std::uint64_t at, std::string_view bytes) = 0;
  // The bytes appended so far.
  virtual std::uint64_t Size() const = 0;

 protected:
  ~Output() = default;
};

// An output into a string (which must outlive it).
class StringOutput final : public Output {
 public:
  explicit StringOutput(std::string& out) : out_(out) {}
  void Append(std::string_view bytes) override { out_ += bytes; }
  void Overwrite(std::uint64_t at, std::string_view bytes) override {
    std::memcpy(out_.data() + at, bytes.data(), bytes.size());
  }
  std::uint64_t Size() const override { return out_.size(); }

 private:
  std::string& out_;
};

}  // namespace pipedex::flat
