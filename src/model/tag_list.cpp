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
  // Each key upper-cased, with its value (the number, then the tag), written
  // straight into the table as it compiles.
  const auto count = static_cast<std::size_t>(Count());
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::string_view key = items_.KeyAt(i);
    bytes += key.size() + sizeof(flat::NodeId) + TagOf(key).size();
  }
  flat::TableCompiler table(count, bytes);
  std::string key, value;
  for (std::size_t i = 0; i < count; ++i) {
    const std::string_view original = items_.KeyAt(i);
    key.clear();
    text::AppendUpper(key, original);
    const flat::NodeId id = i < numbers.size() ? numbers[i] : flat::kNoNode;
    value.assign(reinterpret_cast<const char*>(&id), sizeof id);
    value += TagOf(original);
    table.Add(key, value);
  }
  return std::move(table).Finish();
}

void TagList::UseCompiled(flat::Table table, const flat::Document& document) {
  compiled_ = table;
  document_ = &document;
}

}  // namespace pipedex::model
