#include "model/tag_list.h"

#include <cstring>

#include "base/text.h"

namespace pipedex::model {

void TagList::Add(std::string_view Tag, pugi::xml_node Node, std::string_view SKEY) {
  // The usual tag is the key itself: then the entry holds no text of its own.
  bool added = false;
  std::string_view key;
  pugi::xml_node& entry = items_.FindOrAppend(SKEY, [&](std::string_view stored) {
    added = true;
    key = stored;
    return Node;
  });
  if (!added) {
    entry = Node;
    key = items_.KeyAt(items_.IndexOf(SKEY));  // filed again, which is rare: a second lookup
  }
  if (Tag == key) {
    if (!otherTags_.empty()) otherTags_.erase(key.data());
  } else {
    auto other = otherTags_.find(key.data());
    if (other == otherTags_.end()) {
      otherTags_.emplace(key.data(), items_.Keep(Tag));
    } else if (other->second != Tag) {
      other->second = items_.Keep(Tag);
    }
  }
}

std::string_view TagList::TagOf(std::string_view key) const {
  if (!otherTags_.empty()) {
    auto other = otherTags_.find(key.data());
    if (other != otherTags_.end()) return other->second;
  }
  return key;
}

TagXREF TagList::At(std::size_t index) const { return {TagOf(items_.KeyAt(index)), Element(items_.EntryAt(index))}; }

TagXREF TagList::Item(std::string_view key) const {
  if (document_) {
    const std::optional<std::string_view> value = compiled_.Find(text::UpperKey(key).View());
    if (!value) return {};
    if (value->size() < 4) throw flat::Corrupt("an entry of a compiled list cut short");
    flat::NodeId id;
    std::memcpy(&id, value->data(), 4);
    return {value->substr(4), Element(*document_, id)};
  }
  const std::size_t index = items_.IndexOf(key);
  return index == KeyedList<pugi::xml_node>::kNone ? TagXREF{} : At(index);
}

TagXREF TagList::Item(std::int64_t position) const {
  if (position < 1 || position > Count()) return {};
  return At(static_cast<std::size_t>(position - 1));
}

std::string TagList::Compile(const std::vector<flat::NodeId>& numbers) const {
  // Every key upper-cased and every value (the number, then the tag) in one
  // text, where each entry is then read from: no text of its own per entry.
  const auto count = static_cast<std::size_t>(Count());
  std::string texts;
  std::vector<std::size_t> ends;  // where each entry's key and value end in texts
  ends.reserve(2 * count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::string_view key = items_.KeyAt(i);
    text::AppendUpper(texts, key);
    ends.push_back(texts.size());
    const flat::NodeId id = i < numbers.size() ? numbers[i] : flat::kNoNode;
    texts.append(reinterpret_cast<const char*>(&id), sizeof id);
    texts += TagOf(key);
    ends.push_back(texts.size());
  }
  std::vector<std::pair<std::string_view, std::string_view>> entries;
  entries.reserve(count);
  const std::string_view all(texts);
  for (std::size_t i = 0, at = 0; i < count; at = ends[2 * i + 1], ++i)
    entries.emplace_back(all.substr(at, ends[2 * i] - at), all.substr(ends[2 * i], ends[2 * i + 1] - ends[2 * i]));
  return flat::CompileTable(entries);
}

void TagList::UseCompiled(flat::Table table, const flat::Document& document) {
  compiled_ = table;
  document_ = &document;
}

}  // namespace pipedex::model
