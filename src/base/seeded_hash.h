#pragma once

// A keyed hash for tables filed under names that come from files: SipHash-1-3
// with a key drawn once per process from a random source. Names crafted to
// collide under one key do not collide under another, so no file can make a
// table degrade to a list.

#include <cstdint>
#include <random>
#include <string_view>

namespace pipedex::hashing {

struct Key {
  std::uint64_t k0, k1;
};

// The process's key: drawn on first use, never changed afterwards.
inline const Key& ProcessKey() {
  static const Key key = [] {
    std::random_device source;
    auto draw = [&] { return (std::uint64_t{source()} << 32) ^ source(); };
    return Key{draw(), draw()};
  }();
  return key;
}

// Hashes bytes given one at a time (so that a key can be hashed as it is
// folded, without building the folded text).
// Kept because catalogue files choose the keys: the standard library has no keyed hash (std::hash is the same
// function in every process), so names crafted to collide would make each map keyed by them a list.
class Hasher {
 public:
  explicit Hasher(const Key& key = ProcessKey())
      : v0_(key.k0 ^ 0x736f6d6570736575ull),
        v1_(key.k1 ^ 0x646f72616e646f6dull),
        v2_(key.k0 ^ 0x6c7967656e657261ull),
        v3_(key.k1 ^ 0x7465646279746573ull) {}

  void Add(unsigned char byte) {
    word_ |= std::uint64_t{byte} << (8 * (length_ & 7));
    if ((++length_ & 7) == 0) {
      Compress(word_);
      word_ = 0;
    }
  }
  void Add(std::string_view bytes) {
    std::size_t i = 0;
    // Whole words at a time while the hash is at a word boundary: the same
    // value as byte by byte (the words are read little-endian).
    if ((length_ & 7) == 0)
      for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word = 0;
        for (int b = 7; b >= 0; --b) word = word << 8 | static_cast<unsigned char>(bytes[i + b]);
        Compress(word);
        length_ += 8;
      }
    for (; i < bytes.size(); ++i) Add(static_cast<unsigned char>(bytes[i]));
  }

  std::uint64_t Finish() const {
    Hasher h = *this;
    h.Compress(h.word_ | (std::uint64_t{h.length_ & 0xff} << 56));
    h.v2_ ^= 0xff;
    for (int i = 0; i < 3; ++i) h.Round();
    return h.v0_ ^ h.v1_ ^ h.v2_ ^ h.v3_;
  }

 private:
  static std::uint64_t Rotl(std::uint64_t x, int b) { return (x << b) | (x >> (64 - b)); }
  void Round() {
    v0_ += v1_;
    v1_ = Rotl(v1_, 13) ^ v0_;
    v0_ = Rotl(v0_, 32);
    v2_ += v3_;
    v3_ = Rotl(v3_, 16) ^ v2_;
    v0_ += v3_;
    v3_ = Rotl(v3_, 21) ^ v0_;
    v2_ += v1_;
    v1_ = Rotl(v1_, 17) ^ v2_;
    v2_ = Rotl(v2_, 32);
  }
  void Compress(std::uint64_t m) {
    v3_ ^= m;
    Round();
    v0_ ^= m;
  }

  std::uint64_t v0_, v1_, v2_, v3_;
  std::uint64_t word_ = 0;
  std::uint64_t length_ = 0;
};

inline std::uint64_t Hash(std::string_view bytes) {
  Hasher h;
  h.Add(bytes);
  return h.Finish();
}

// For std::unordered_map and std::unordered_set of strings.
struct StringHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const { return static_cast<std::size_t>(Hash(s)); }
};

}  // namespace pipedex::hashing
