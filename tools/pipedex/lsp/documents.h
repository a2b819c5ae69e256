#pragma once

// The server's view of the catalogue: the open buffers, which system file each
// is checked with, and the library's check of them (findings and the names at
// their places), with positions converted to the editor's: 0-based lines and
// UTF-16 code units.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "pipedex/check.h"
#include "pipedex/pipedex.h"

namespace pipedex::lsp {

struct Analysis {
  std::string systemFile;
  std::vector<Finding> findings;
  std::vector<NamePlace> names;
};

// An editor position: 0-based line, UTF-16 code units.
struct Point {
  std::int64_t line = 0;
  std::int64_t character = 0;
};

// The lines of a text (which must outlive it), for converting positions.
class Lines {
 public:
  Lines() = default;
  explicit Lines(std::string_view text);
  // Line `line` (from 0) without its line break; "" past the end.
  std::string_view operator[](std::int64_t line) const;
  // A 1-based line and character column as an editor position, and back.
  Point ToPoint(std::int32_t line, std::int32_t column) const;
  std::int32_t ColumnOf(const Point& point) const;

 private:
  std::string_view text_;
  std::vector<std::size_t> starts_;
};

struct Document {
  std::string path;
  std::string text;
  Lines lines;        // of text: remade whenever it changes
  bool stale = true;  // changed since its last check
  Analysis analysis;
  void SetText(std::string value) {
    text = std::move(value);
    lines = Lines(text);
    stale = true;
  }
};

// The texts of files that are not open, read once per request.
struct FileCache {
  std::map<std::string, std::string> texts;
  std::map<std::string, Lines> lines;
};

struct Workspace {
  std::string catalogue;  // the system file overlays are checked against when none lies beside them
  std::string root;       // the workspace folder, whose SystemPipedex.xml is the last resort
  LocaleNames locale;     // chooses the language variant checked with a system file
  std::map<std::string, Document> documents;  // by URI

  // Checks a document's text with every open buffer standing in for its file.
  void Check(Document& document) const;
  // After the text of a file changed: marks for checking again the documents
  // whose check may read it, those in its folder and those checked with the
  // same system file.
  void Changed(const std::string& path, const std::string& systemFile);
  // The lines of a file: an open buffer's, else the file's (none when unreadable).
  const Lines& LinesOf(const std::string& path, FileCache& cache) const;

  // The library's answer about a name, from an instance on the saved files
  // (made on first use, dropped when a file is saved).
  std::string LibraryAnswer(const Analysis& analysis, const NamePlace& place);
  void Saved() { instances_.clear(); }

 private:
  std::map<std::string, std::unique_ptr<Pipedex>> instances_;
};

// file:// URIs and paths, percent-encoded as editors do.
std::string PathOfUri(const std::string& uri);
std::string UriOfPath(const std::string& path);


// The name whose text covers an editor position of a document, or nullptr.
const NamePlace* NameAt(const Document& document, const Point& point);

}  // namespace pipedex::lsp
