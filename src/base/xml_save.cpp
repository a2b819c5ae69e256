// Saving a document to a file the way a careful editor does (the file is
// replaced as files::ReplaceFile replaces it), always as UTF-8 with a
// declaration.

#include "base/files.h"
#include "base/xml_document.h"

namespace pipedex::xml {
namespace {

// Hands the saved text straight to a file descriptor, remembering the first
// failure (the writer interface has no way to report one).
class FileWriter final : public pugi::xml_writer {
 public:
  explicit FileWriter(int fd) : fd_(fd) {}
  void write(const void* data, std::size_t size) override {
    if (error_ == 0) error_ = files::WriteAll(fd_, {static_cast<const char*>(data), size});
  }
  int error() const { return error_; }

 private:
  int fd_;
  int error_ = 0;
};

// Indented like the shipped files, unless elements nest so deeply that the
// indentation alone would grow with the square of the depth.
unsigned SaveFormat(const pugi::xml_document& doc) {
  constexpr int kMaxIndentedDepth = 100;
  bool tooDeep = false;
  WalkDescendants(doc, [&](pugi::xml_node, int depth) { return !(tooDeep = depth > kMaxIndentedDepth); });
  return tooDeep ? pugi::format_raw : pugi::format_default;
}

// The whole text of the document, always with a declaration naming UTF-8
// (loading sets the encoding of a declaration that a file brings to UTF-8).
int WriteDocument(const pugi::xml_document& doc, int fd) {
  FileWriter writer(fd);
  unsigned flags = SaveFormat(doc);
  if (doc.first_child().type() != pugi::node_declaration) {
    static constexpr char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    writer.write(kDeclaration, sizeof kDeclaration - 1);
    flags |= pugi::format_no_declaration;
  }
  doc.save(writer, "\t", flags, pugi::encoding_utf8);
  return writer.error();
}

}  // namespace

void SaveFile(const pugi::xml_document& doc, const std::string& path) {
  files::ReplaceFile(path, [&](int fd) { return WriteDocument(doc, fd); });
}

}  // namespace pipedex::xml
