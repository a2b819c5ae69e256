#include "model/tag_list.h"

namespace pipedex::model {
namespace {
const TagXREF& EmptyTag() {
  static const TagXREF empty;
  return empty;
}
}  // namespace

void TagList::Add(std::string_view Tag, pugi::xml_node Node, std::string_view SKEY) {
  // The usual tag is the key itself: then the list keeps its text once.
  bool added = false;
  TagXREF& entry = items_.FindOrAppend(SKEY, [&](std::string_view key) {
    added = true;
    return TagXREF{Tag == key ? key : items_.Keep(Tag), Node};
  });
  if (added) return;
  if (entry.Tag != Tag) entry.Tag = items_.Keep(Tag);
  entry.Node = Node;
}

const TagXREF& TagList::Item(std::string_view key) const {
  const TagXREF* e = items_.Find(key);
  return e ? *e : EmptyTag();
}

const TagXREF& TagList::Item(std::int64_t position) const {
  const TagXREF* e = items_.At(position);
  return e ? *e : EmptyTag();
}

}  // namespace pipedex::model
