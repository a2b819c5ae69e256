// Showing, building and removing the compiled index of a catalogue, for
// `pipedex cache`: the instance's own steps, without answering anything.

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cache/settings.h"
#include "instance/pipedex_impl.h"
#include "pipedex/index.h"

namespace pipedex {
namespace {

// Whether a file name is one the library gives an index: 16 hexadecimal digits and ".pxi".
bool IsIndexName(std::string_view name) {
  if (name.size() != 20 || !name.ends_with(".pxi")) return false;
  for (char c : name.substr(0, 16))
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

}  // namespace

IndexInfo InspectIndex(std::shared_ptr<Platform> platform, bool verifyContent) {
  return detail::OutOfMemoryAsError([&] {
    Pipedex::Impl impl(std::move(platform));
    impl.FindSystemFile();
    IndexInfo info;
    info.path = impl.IndexPath();
    if (info.path.empty()) {
      info.state = "the platform keeps no index";
      return info;
    }
    cache::Refusal refusal;
    const bool verify = verifyContent || cache::FromEnvironment().verifyContent;
    std::unique_ptr<cache::MappedIndex> opened =
        cache::MappedIndex::Open(info.path, impl.IndexStamp(false), verify, refusal);
    const cache::MappedIndex* index = opened.get();  // the instance's once it takes it over
    info.valid = index != nullptr;
    info.state = cache::RefusalText(refusal);
    // A file that holds for these files is used only when its payload opens
    // as an instance opens it; a verify reads every block of it against its
    // hash too.
    if (index) {
      bool sound = impl.UseIndex(opened);
      try {
        if (sound && verify) index->Blocks().Confirm(index->Payload().data(), index->Payload().size());
      } catch (const flat::Corrupt&) {
        sound = false;
      }
      if (!sound) {
        info.valid = false;
        info.state = "its payload is damaged";
      }
    }
    struct stat st {};
    if (::stat(info.path.c_str(), &st) == 0) info.size = static_cast<std::uint64_t>(st.st_size);
    // An index that is not used may still be one, built from other files or before a change.
    const std::unique_ptr<cache::Stamp> stale = index ? nullptr : cache::MappedIndex::ReadStamp(info.path);
    if (const cache::Stamp* stamp = index ? &index->Recorded() : stale.get())
      for (const cache::InputFile& f : stamp->inputs) info.files.push_back(f.path);
    return info;
  });
}

IndexInfo BuildIndex(std::shared_ptr<Platform> platform) {
  detail::OutOfMemoryAsError([&] { Pipedex::Impl(platform).EnsureInitialised(true); });
  return InspectIndex(std::move(platform));
}

std::size_t ClearIndexes(std::shared_ptr<Platform> platform) {
  return detail::OutOfMemoryAsError([&] {
    const std::string folder = platform->IndexFolder();
    std::size_t removed = 0;
    if (folder.empty()) return removed;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return removed;
    while (const dirent* entry = ::readdir(dir))
      if (IsIndexName(entry->d_name) && ::unlink((folder + "/" + entry->d_name).c_str()) == 0) ++removed;
    ::closedir(dir);
    return removed;
  });
}

}  // namespace pipedex
