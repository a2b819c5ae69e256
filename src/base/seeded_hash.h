#pragma once

// A keyed hash for tables filed under names that come from files: SipHash-1-3
// with a key drawn once per process from a random source. Names crafted to
// collide under one key do not collide under another, so no file can make a
// table degrade to a list.

#include <cstdint>
#include <cstring>
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

// A fast 64-bit hash after xxHash64: four lanes of multiply and rotate over
// 32-byte stripes, then a mix of the lanes and of the tail. Several times
// faster than the keyed hash above on long inputs, and any change to one
// 8-byte word of a stripe changes its lane's state (each step is a
// bijection of it). It does not hold against inputs crafted to collide:
// it serves to notice bytes that changed (the blocks of a compiled index,
// the files it was built from) and tables that bound their own probing.
namespace fast {
inline constexpr std::uint64_t kP1 = 0x9E3779B185EBCA87ull, kP2 = 0xC2B2AE3D27D4EB4Full,
                               kP3 = 0x165667B19E3779F9ull, kP4 = 0x85EBCA77C2B2AE63ull,
                               kP5 = 0x27D4EB2F165667C5ull;
inline std::uint64_t Rotl(std::uint64_t x, int b) { return (x << b) | (x >> (64 - b)); }
template <typename Word>
std::uint64_t Load(const char* at) {
  Word word;  // little-endian on every host the library builds for
  std::memcpy(&word, at, sizeof word);
  return word;
}
inline std::uint64_t Round(std::uint64_t lane, std::uint64_t word) { return Rotl(lane + word * kP2, 31) * kP1; }
inline std::uint64_t Merge(std::uint64_t hash, std::uint64_t lane) { return (hash ^ Round(0, lane)) * kP1 + kP4; }
}  // namespace fast

inline std::uint64_t FastHash(std::string_view bytes, std::uint64_t seed) {
  using namespace fast;
  const char* at = bytes.data();
  const char* const end = at + bytes.size();
  std::uint64_t hash;
  if (bytes.size() >= 32) {
    std::uint64_t v1 = seed + kP1 + kP2, v2 = seed + kP2, v3 = seed, v4 = seed - kP1;
    for (; end - at >= 32; at += 32) {
      v1 = Round(v1, Load<std::uint64_t>(at));
      v2 = Round(v2, Load<std::uint64_t>(at + 8));
      v3 = Round(v3, Load<std::uint64_t>(at + 16));
      v4 = Round(v4, Load<std::uint64_t>(at + 24));
    }
    hash = Rotl(v1, 1) + Rotl(v2, 7) + Rotl(v3, 12) + Rotl(v4, 18);
    for (const std::uint64_t lane : {v1, v2, v3, v4}) hash = Merge(hash, lane);
  } else {
    hash = seed + kP5;
  }
  hash += bytes.size();
  for (; end - at >= 8; at += 8) hash = Rotl(hash ^ Round(0, Load<std::uint64_t>(at)), 27) * kP1 + kP4;
  if (end - at >= 4) {
    hash = Rotl(hash ^ (Load<std::uint32_t>(at) * kP1), 23) * kP2 + kP3;
    at += 4;
  }
  for (; at < end; ++at) hash = Rotl(hash ^ (static_cast<unsigned char>(*at) * kP5), 11) * kP1;
  hash ^= hash >> 33;
  hash *= kP2;
  hash ^= hash >> 29;
  hash *= kP3;
  return hash ^ (hash >> 32);
}

// A hash for tables under a seed no file can choose (the process's key, or
// one drawn from all of a compiled table's keys): texts of up to 16 bytes,
// most keys, by two loads that may overlap and one multiply under the seed,
// longer ones by FastHash.
inline std::uint64_t ShortHash(std::string_view bytes, std::uint64_t seed) {
  using namespace fast;
  const char* at = bytes.data();
  const std::size_t n = bytes.size();
  std::uint64_t a, b;
  if (n > 16) return FastHash(bytes, seed);
  if (n >= 8) {
    a = Load<std::uint64_t>(at);
    b = Load<std::uint64_t>(at + n - 8);
  } else if (n >= 4) {
    a = Load<std::uint32_t>(at);
    b = Load<std::uint32_t>(at + n - 4);
  } else {
    a = n == 0 ? 0 : std::uint64_t{static_cast<unsigned char>(at[0])} << 16 |
                         std::uint64_t{static_cast<unsigned char>(at[n / 2])} << 8 | static_cast<unsigned char>(at[n - 1]);
    b = 0;
  }
  const unsigned __int128 product = static_cast<unsigned __int128>(a ^ seed ^ kP1) * (b ^ Rotl(seed, 32) ^ kP2 ^ n);
  return static_cast<std::uint64_t>(product) ^ static_cast<std::uint64_t>(product >> 64);
}

// The hash of a file's content that an index records: each piece of
// kContentPiece bytes hashed with the hash of those before it as its seed, so
// that a file can be hashed a piece at a time as it is read (a last piece
// shorter than kContentPiece, empty when the size is a multiple of it, ends it).
inline constexpr std::size_t kContentPiece = std::size_t{1} << 16;
inline std::uint64_t ContentHashStart() { return FastHash("content", 0x5049504544455853ull); }
// The same hash taken as the bytes arrive, each whole piece while it is still in the cache.
class ContentHasher {
 public:
  // Hashes the next piece: kContentPiece bytes, or fewer for the last (which
  // ends the hash; it is empty when the size is a multiple of kContentPiece).
  void Piece(std::string_view piece) { hash_ = FastHash(piece, hash_); }
  // The hash of the pieces so far.
  std::uint64_t Value() const { return hash_; }
  // Hashes the whole pieces among the size bytes at `bytes` not hashed before
  // (the bytes hashed before must be the same ones, where they were).
  void Through(const char* bytes, std::size_t size) {
    for (; size - done_ >= kContentPiece; done_ += kContentPiece) Piece(std::string_view(bytes + done_, kContentPiece));
  }
  // The hash of all size bytes: the last piece ends it.
  std::uint64_t Finish(const char* bytes, std::size_t size) {
    Through(bytes, size);
    Piece(std::string_view(bytes + done_, size - done_));
    return hash_;
  }

 private:
  std::uint64_t hash_ = ContentHashStart();
  std::size_t done_ = 0;
};
inline std::uint64_t ContentHash(std::string_view bytes) { return ContentHasher().Finish(bytes.data(), bytes.size()); }

// For std::unordered_map and std::unordered_set of strings.
struct StringHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const { return static_cast<std::size_t>(Hash(s)); }
};

}  // namespace pipedex::hashing
