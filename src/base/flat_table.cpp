#include "base/flat_table.h"

#include <algorithm>
#include <cstring>

namespace pipedex::flat {

// The layout: the number of entries, then where each entry starts and where
// the last one ends (from the start of the entries), then the entries: a
// 32-bit key length, the key, the value.
std::string CompileTable(std::vector<std::pair<std::string, std::string>> entries) {
  std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  entries.erase(std::unique(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
                entries.end());
  auto put = [](std::string& out, std::uint32_t n) { out.append(reinterpret_cast<const char*>(&n), sizeof n); };
  std::string offsets, data;
  put(offsets, static_cast<std::uint32_t>(entries.size()));
  for (const auto& [key, value] : entries) {
    if (data.size() + 4 + key.size() + value.size() > 0xffffffffu) throw std::length_error("a compiled table exceeds 4 GiB");
    put(offsets, static_cast<std::uint32_t>(data.size()));
    put(data, static_cast<std::uint32_t>(key.size()));
    data += key;
    data += value;
  }
  put(offsets, static_cast<std::uint32_t>(data.size()));
  return offsets + data;
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
