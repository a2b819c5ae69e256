#include "session.h"

#include <cstdio>
#include <iostream>

namespace pipedex::cli {
namespace {

// Width of a cell in characters (UTF-8 continuation bytes do not count).
std::size_t Width(const std::string& s) {
  std::size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

}  // namespace

Platform& Session::SystemPlatform() {
  if (!platform_) platform_ = MakeSystemPlatform(options);
  return *platform_;
}

Pipedex& Session::Instance() {
  if (!instance_) {
    SystemPlatform();
    instance_ = std::make_unique<Pipedex>(platform_);
    if (!projectFile.empty()) instance_->LoadProjectXML(projectFile);
  }
  return *instance_;
}

void RunCommand(Session& session, const std::function<void()>& body) {
  try {
    body();
  } catch (const Error& e) {
    char number[16];
    std::snprintf(number, sizeof number, "0x%08X", static_cast<unsigned>(e.number()));
    std::cerr << "error " << number << " (" << e.source() << "): " << e.description() << "\n";
    if (e.number() == errors::kNoDataPath || e.number() == errors::kDataFileNotFound)
      std::cerr << CatalogueHint(session.SystemPlatform(), session.options) << "\n";
    session.exitCode = 1;
  }
}

void PrintTable(const std::vector<std::string>& headers, const std::vector<std::vector<std::string>>& rows,
                bool json) {
  if (json) {
    Json array = Json::array();
    for (const auto& row : rows) {
      Json object = Json::object();
      for (std::size_t i = 0; i < headers.size() && i < row.size(); ++i) object[headers[i]] = row[i];
      array.push_back(std::move(object));
    }
    std::cout << Dump(array) << "\n";
    return;
  }
  std::vector<std::size_t> widths(headers.size());
  for (std::size_t i = 0; i < headers.size(); ++i) widths[i] = Width(headers[i]);
  for (const auto& row : rows)
    for (std::size_t i = 0; i < headers.size() && i < row.size(); ++i) widths[i] = std::max(widths[i], Width(row[i]));
  auto line = [&](const std::vector<std::string>& cells) {
    for (std::size_t i = 0; i < headers.size(); ++i) {
      std::string cell = i < cells.size() ? cells[i] : "";
      std::cout << cell;
      if (i + 1 < headers.size()) std::cout << std::string(widths[i] - Width(cell) + 2, ' ');
    }
    std::cout << "\n";
  };
  line(headers);
  std::vector<std::string> rule;
  for (std::size_t w : widths) rule.push_back(std::string(w, '-'));
  line(rule);
  for (const auto& row : rows) line(row);
}

void PrintFields(const std::vector<std::pair<std::string, std::string>>& fields, bool json) {
  if (json) {
    Json object = Json::object();
    for (const auto& [name, value] : fields) object[name] = value;
    std::cout << Dump(object) << "\n";
    return;
  }
  std::size_t width = 0;
  for (const auto& f : fields) width = std::max(width, Width(f.first));
  for (const auto& [name, value] : fields) std::cout << name << std::string(width - Width(name) + 2, ' ') << value << "\n";
}

}  // namespace pipedex::cli
