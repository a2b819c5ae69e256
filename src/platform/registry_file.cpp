#include "platform/registry_file.h"

#include "base/encoding.h"
#include "base/files.h"
#include "base/text.h"
#include "platform/registry.h"

namespace pipedex::registry {
namespace {

std::string_view StripSpace(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// Reads a quoted text with the escapes \\ and \" starting at s[0] == '"'.
// Returns the number of characters used, 0 when the text is not closed.
std::size_t ReadQuoted(std::string_view s, std::string& out) {
  out.clear();
  for (std::size_t i = 1; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
      out.push_back(s[++i]);
    } else if (s[i] == '"') {
      return i + 1;
    } else {
      out.push_back(s[i]);
    }
  }
  return 0;
}

bool IsHiveName(std::string_view upperHive) {
  for (RegistryHandle root : {kClassesRoot, kCurrentUser, kLocalMachine, kUsers})
    if (upperHive == HiveName(root)) return true;
  return false;
}

// A value line: "name"=... or @=..., with a quoted text, dword:hex digits, or
// anything else (a value of another type). False for a line that is none.
bool ReadValueLine(std::string_view line, std::string& name, RegistryValue& value) {
  std::size_t used = 0;
  if (line.front() == '"') {
    used = ReadQuoted(line, name);
    if (used == 0) return false;
  } else if (line.front() == '@') {
    used = 1;  // the key's default value, whose name is ""
  } else {
    return false;
  }
  std::string_view rest = StripSpace(line.substr(used));
  if (rest.empty() || rest.front() != '=') return false;
  rest = StripSpace(rest.substr(1));
  if (!rest.empty() && rest.front() == '"') {
    if (ReadQuoted(rest, value.text) == 0) return false;
    value.kind = RegistryValue::Kind::Text;
  } else if (text::StartsWith(text::Upper(rest.substr(0, 6)), "DWORD:")) {
    std::string digits(StripSpace(rest.substr(6)));
    if (digits.empty() || digits.size() > 8 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
      return false;
    value.kind = RegistryValue::Kind::Number;
    value.number = static_cast<std::uint32_t>(std::stoul(digits, nullptr, 16));
  } else {
    value.kind = RegistryValue::Kind::Other;  // hex data and every other form
    value.text = std::string(rest);
  }
  return true;
}

}  // namespace

std::string RegistryFile::Normalise(std::string_view key) {
  std::string k = text::Upper(key);
  while (!k.empty() && k.back() == '\\') k.pop_back();
  return k;
}

RegistryFile RegistryFile::Parse(std::string_view content) {
  RegistryFile file;
  std::string converted;
  if (content.size() >= 2 && static_cast<unsigned char>(content[0]) == 0xFF &&
      static_cast<unsigned char>(content[1]) == 0xFE) {
    // Text after a sequence that is not UTF-16 (a lone surrogate, half a
    // character at the end) is not read: what came before it still counts.
    bool unsupported = false;
    std::size_t badAt = 0;
    encoding::ToUtf8(content.substr(2), "UTF-16LE", converted, unsupported, badAt);
    content = converted;
  } else if (content.size() >= 3 && content.substr(0, 3) == "\xEF\xBB\xBF") {
    content.remove_prefix(3);
  }

  std::map<std::string, RegistryValue>* current = nullptr;
  std::size_t pos = 0;
  while (pos <= content.size()) {
    std::size_t end = content.find('\n', pos);
    if (end == std::string_view::npos) end = content.size();
    std::string_view line = StripSpace(content.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      current = nullptr;
      if (line.back() != ']' || line.size() < 3) continue;
      std::string key = Normalise(line.substr(1, line.size() - 2));
      std::string hive = key.substr(0, key.find('\\'));
      if (!IsHiveName(hive)) continue;
      current = &file.keys_[key];
      continue;
    }
    if (!current) continue;  // a value outside any section, or a header line
    std::string name;
    RegistryValue value;
    if (ReadValueLine(line, name, value)) (*current)[text::Upper(name)] = value;
  }
  return file;
}

RegistryFile RegistryFile::Load(const std::string& path) {
  // Read only when it is a regular file within the size limit.
  std::string content;
  return files::ReadWholeFile(path, kMaxFileSize, content) == files::ReadStatus::Ok ? Parse(content) : RegistryFile{};
}

RegistryFile RegistryFile::OneText(const std::string& fullKey, const std::string& valueName, std::string text) {
  RegistryFile file;
  RegistryValue& value = file.keys_[Normalise(fullKey)][text::Upper(valueName)];
  value.kind = RegistryValue::Kind::Text;
  value.text = std::move(text);
  return file;
}

bool RegistryFile::KeyExists(const std::string& fullKey) const {
  std::string key = Normalise(fullKey);
  if (keys_.count(key)) return true;
  auto it = keys_.lower_bound(key + "\\");
  return it != keys_.end() && text::StartsWith(it->first, key + "\\");
}

const RegistryValue* RegistryFile::FindValue(const std::string& fullKey, const std::string& valueName) const {
  auto it = keys_.find(Normalise(fullKey));
  if (it == keys_.end()) return nullptr;
  auto v = it->second.find(text::Upper(valueName));
  return v == it->second.end() ? nullptr : &v->second;
}

}  // namespace pipedex::registry
