#include "session.h"

#include <charconv>
#include <cstdio>
#include <iostream>
#include <new>

namespace pipedex::cli {

std::size_t Width(const std::string& s) {
  std::size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

std::string SystemFileCandidate(Session& session) {
  if (!session.catalogueFile.empty()) return session.catalogueFile;
  Platform& platform = session.SystemPlatform();
  const std::string folder = platform.ComponentFolder();
  for (const std::string& file : {folder + "/" + kSystemFileName, folder + "/" + kDataFolderName + "/" + kSystemFileName})
    if (platform.FileExists(file)) return file;
  const std::string named = DataPathValue(platform);
  return platform.FileExists(named) ? named : "";
}

Platform& Session::SystemPlatform() {
  if (!platform_)
    platform_ = catalogueFile.empty() ? MakeSystemPlatform(options) : MakeCatalogueFilePlatform(catalogueFile, options);
  return *platform_;
}

Pipedex& Session::Instance() {
  if (!instance_) {
    SystemPlatform();
    instance_ = std::make_unique<Pipedex>(platform_);
    if (!projectFile.empty()) instance_->LoadProjectXML(projectFile);
    if (!userFile.empty()) instance_->LoadUserXML(userFile);
  }
  return *instance_;
}

bool Session::WantsJson() const {
  // The command given, or a command of it given (pipedex cache show --json).
  const std::function<bool(const CLI::App*)> given = [&given](const CLI::App* parent) {
    for (const CLI::App* command : parent->get_subcommands()) {
      const CLI::Option* flag = command->get_option_no_throw("--json");
      if ((flag && flag->count() > 0) || given(command)) return true;
    }
    return false;
  };
  return app && given(app);
}

namespace {

// A description of several lines (a parse error's) on one line, its lines
// joined by "; ".
std::string OneLine(const std::string& description) {
  std::string line, part;
  auto flush = [&] {
    while (!part.empty() && part.back() == ' ') part.pop_back();
    if (!part.empty()) line += (line.empty() ? "" : "; ") + part;
    part.clear();
  };
  for (char c : description) {
    if (c == '\r' || c == '\n') flush();
    else part += c;
  }
  flush();
  return line;
}

// The parse findings of the catalogue files, in the compilers' form, or
// nothing when the catalogue file is not known.
std::vector<std::string> ParseFindings(Session& session) {
  std::vector<std::string> lines;
  const std::string file = SystemFileCandidate(session);
  if (file.empty()) return lines;
  CheckOptions options;
  options.projectFile = session.projectFile;
  options.userFile = session.userFile;
  options.locale = session.SystemPlatform().ThreadLocale();
  for (const Finding& f : CheckCatalogue(file, options))
    if (f.code == "parse") lines.push_back(FindingLine(f));
  return lines;
}

}  // namespace

void RunCommand(Session& session, const std::function<void()>& body) {
  try {
    try {
      body();
    } catch (const std::bad_alloc&) {
      throw Error(errors::kOutOfMemory, "pipedex-cli", "Out of memory");
    }
  } catch (const Error& e) {
    session.exitCode = e.number() == errors::kOutOfMemory ? kExitOutOfMemory : kExitError;
    if (session.WantsJson()) {
      Json error = Json::object();
      error["number"] = e.number();
      error["source"] = e.source();
      error["description"] = e.description();
      std::cerr << Dump(error) << "\n";
      return;
    }
    char number[16];
    std::snprintf(number, sizeof number, "0x%08X", static_cast<unsigned>(e.number()));
    if (e.description().find("Error parsing") != std::string::npos) {
      const auto lines = ParseFindings(session);
      for (const auto& line : lines) std::cerr << line << "\n";
      if (!lines.empty()) return;
    }
    std::cerr << "error " << number << " (" << e.source() << "): " << OneLine(e.description()) << "\n";
    if (e.number() == errors::kNoDataPath || e.number() == errors::kDataFileNotFound)
      std::cerr << CatalogueHint(session.SystemPlatform(), session.options, session.catalogueFile) << "\n";
  }
}

int ReportEscapedFailure() noexcept {
  // Written without building texts where it can: memory may have run out.
  try {
    throw;
  } catch (const Error& e) {
    const bool outOfMemory = e.number() == errors::kOutOfMemory;
    std::fprintf(stderr, "error 0x%08X (%s): %s\n", static_cast<unsigned>(e.number()), e.source().c_str(),
                 e.description().c_str());
    return outOfMemory ? kExitOutOfMemory : kExitError;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "error 0x%08X (pipedex-cli): Out of memory\n", static_cast<unsigned>(errors::kOutOfMemory));
    return kExitOutOfMemory;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "pipedex: %s\n", e.what());
    return kExitError;
  } catch (...) {
    std::fputs("pipedex: the command failed\n", stderr);
    return kExitError;
  }
}

void NothingFound(Session& session, const std::string& message) {
  std::cerr << "pipedex: " << message << "\n";
  session.exitCode = 1;
}

std::string OnOneLine(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      out += c;
      continue;
    }
    switch (c) {
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: {
        char hex[5];
        std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned>(byte));
        out += hex;
      }
    }
  }
  return out;
}

std::string FindingLine(const Finding& finding) { return OnOneLine(FormatFinding(finding)); }

std::string Number(double value) {
  char buffer[64];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  return std::string(buffer, written.ptr);
}

std::string Readable(const Json& value) {
  if (value.is_string()) return value.get<std::string>();
  if (value.is_boolean()) return value.get<bool>() ? "yes" : "no";
  if (value.is_number_integer()) return std::to_string(value.get<std::int64_t>());
  if (value.is_number()) return Number(value.get<double>());
  if (value.is_array()) {
    std::string out;
    for (const auto& item : value) out += (out.empty() ? "" : ", ") + Readable(item);
    return out.empty() ? "(none)" : out;
  }
  if (value.is_null()) return "(none)";
  return Dump(value);
}

void PrintTable(const std::vector<std::string>& headers, const std::vector<std::vector<Json>>& jsonRows, bool json) {
  if (json) {
    Json array = Json::array();
    for (const auto& row : jsonRows) {
      Json object = Json::object();
      for (std::size_t i = 0; i < headers.size() && i < row.size(); ++i) object[headers[i]] = row[i];
      array.push_back(std::move(object));
    }
    std::cout << Dump(array) << "\n";
    return;
  }
  std::vector<std::vector<std::string>> rows;
  for (const auto& row : jsonRows) {
    rows.emplace_back();
    for (const auto& cell : row) rows.back().push_back(Readable(cell));
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

void PrintFields(const std::vector<std::pair<std::string, Json>>& fields, bool json) {
  if (json) {
    Json object = Json::object();
    for (const auto& [name, value] : fields) object[name] = value;
    std::cout << Dump(object) << "\n";
    return;
  }
  std::size_t width = 0;
  for (const auto& f : fields) width = std::max(width, Width(f.first));
  for (const auto& [name, value] : fields)
    std::cout << name << std::string(width - Width(name) + 2, ' ') << Readable(value) << "\n";
}

}  // namespace pipedex::cli
