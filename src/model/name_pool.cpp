#include "model/name_pool.h"

#include <stdexcept>

#include "base/seeded_hash.h"

namespace pipedex::model {

std::uint32_t NamePool::Intern(std::string_view name) {
  if (name.empty()) return 0;
  if (recent_ && Name(recent_) == name) return recent_;
  if (table_.empty()) Remake(names_.size() + 1);
  const auto hash = static_cast<std::uint32_t>(hashing::Hash(name));
  const std::size_t mask = table_.size() - 1;
  for (std::size_t c = hash & mask; table_[c] != 0; c = (c + 1) & mask) {
    const std::uint32_t n = table_[c];
    if (Name(n) == name) return recent_ = n;
  }
  if (names_.size() >= 0x7fffffffu || name.size() > 0xffffffffu)
    throw std::length_error("an index holds too many names");
  names_.push_back(texts_.PutCounted(name));
  const auto number = static_cast<std::uint32_t>(names_.size());
  if (std::size_t{number} * 2 > table_.size()) {
    Remake(number);
  } else {
    Place(number, hash);
  }
  return recent_ = number;
}

std::uint32_t NamePool::KeyPlace(std::string_view name) {
  if (!name.empty()) return names_[Intern(name) - 1];
  if (emptyPlace_ == kNoPlace) emptyPlace_ = texts_.PutCounted(name);
  return emptyPlace_;
}

void NamePool::Remake(std::size_t count) {
  std::size_t size = 64;
  while (count * 2 > size) size *= 2;
  table_.assign(size, 0);
  for (std::uint32_t n = 1; n <= names_.size(); ++n) Place(n, static_cast<std::uint32_t>(hashing::Hash(Name(n))));
}

void NamePool::Place(std::uint32_t number, std::uint32_t hash) {
  const std::size_t mask = table_.size() - 1;
  std::size_t c = hash & mask;
  while (table_[c] != 0) c = (c + 1) & mask;
  table_[c] = number;
}

}  // namespace pipedex::model
