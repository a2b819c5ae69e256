#include "model/tag_list.h"

namespace pipedex::model {
namespace {
const TagXREF& EmptyTag() {
  static const TagXREF empty;
  return empty;
}
}  // namespace

void TagList::Add(const std::string& Tag, pugi::xml_node Node, std::string_view SKEY) {
  TagXREF& entry = items_.FindOrAppend(SKEY, [] { return TagXREF{}; });
  entry.Tag = Tag;
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
