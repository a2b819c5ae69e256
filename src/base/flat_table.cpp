#include "base/flat_table.h"

#include <algorithm>
#include <cstring>

namespace pipedex::flat {

// The layout: the number of entries, then where each entry starts and where
// the last one ends (from the start of the entries), then the entries: a
// 32-bit key length, the key, the value.
std::string CompileTable(std::vector<std::pair<std::string, std::string>> entries) {
  // The entries in the order of their keys, one filed twice after its first:
  // sorted by the first 8 bytes of the key (big-endian, so that as numbers
  // they order as the bytes do), then by the whole key, then by position.
  struct Place {
    std::uint64_t prefix;
    std::uint32_t index;
  };
  if (entries.size() >= 0xffffffffu) throw std::length_error("a compiled table exceeds 4 GiB");
  std::vector<Place> order(entries.size());
  for (std::uint32_t i = 0; i < order.size(); ++i) {
    std::uint64_t prefix = 0;
    const std::string& key = entries[i].first;
    for (std::size_t b = 0; b < 8; ++b) prefix = prefix << 8 | (b < key.size() ? static_cast<unsigned char>(key[b]) : 0u);
    order[i] = {prefix, i};
  }
  std::sort(order.begin(), order.end(), [&](const Place& a, const Place& b) {
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    if (const int c = entries[a.index].first.compare(entries[b.index].first); c != 0) return c < 0;
    return a.index < b.index;
  });
  std::vector<std::uint32_t> kept;
  kept.reserve(order.size());
  std::size_t dataSize = 0;
  for (const Place& place : order) {
    const auto& [key, value] = entries[place.index];
    if (!kept.empty() && entries[kept.back()].first == key) continue;
    kept.push_back(place.index);
    dataSize += 4 + key.size() + value.size();
    if (dataSize > 0xffffffffu) throw std::length_error("a compiled table exceeds 4 GiB");
  }
  std::string out;
  out.reserve(8 + 4 * kept.size() + dataSize);
  auto put = [&out](std::size_t n) {
    const auto word = static_cast<std::uint32_t>(n);
    out.append(reinterpret_cast<const char*>(&word), sizeof word);
  };
  put(kept.size());
  std::size_t at = 0;
  for (const std::uint32_t i : kept) {
    put(at);
    at += 4 + entries[i].first.size() + entries[i].second.size();
  }
  put(at);
  for (const std::uint32_t i : kept) {
    put(entries[i].first.size());
    out += entries[i].first;
    out += entries[i].second;
  }
  return out;
}

Table::Table(std::string_view bytes, const Blocks* blocks) : bytes_(bytes), blocks_(blocks) {
  std::uint32_t count;
  std::memcpy(&count, Read(0, 4).data(), 4);
  if (bytes.size() < 8 || count > (bytes.size() - 8) / 4) throw Corrupt("a compiled table with more entries than bytes");
  count_ = count;
}

std::string_view Table::Read(std::size_t offset, std::size_t size) const {
  return ReadConfirmed(bytes_, blocks_, offset, size);
}

std::pair<std::string_view, std::string_view> Table::Entry(std::uint32_t i) const {
  std::uint32_t span[2];
  std::memcpy(span, Read(4 + std::size_t{i} * 4, 8).data(), 8);
  const std::size_t data = 8 + std::size_t{count_} * 4;
  if (span[1] < span[0] || span[1] - span[0] < 4) throw Corrupt("an entry of a compiled table out of order");
  std::uint32_t keyLength;
  std::memcpy(&keyLength, Read(data + span[0], 4).data(), 4);
  if (keyLength > span[1] - span[0] - 4) throw Corrupt("a key beyond its entry");
  return {Read(data + span[0] + 4, keyLength), Read(data + span[0] + 4 + keyLength, span[1] - span[0] - 4 - keyLength)};
}

std::optional<std::string_view> Table::Find(std::string_view key) const {
  std::uint32_t low = 0, high = count_;
  while (low < high) {
    const std::uint32_t middle = low + (high - low) / 2;
    const auto [k, v] = Entry(middle);
    if (k == key) return v;
    if (k < key) low = middle + 1;
    else high = middle;
  }
  return std::nullopt;
}

}  // namespace pipedex::flat
