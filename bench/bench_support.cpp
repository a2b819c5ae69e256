#include "bench_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

#include <pugixml.hpp>

#include "catalogue_generator.h"
#include "dense_catalogue.h"

namespace pipedex::bench {
namespace {

// A field of /proc/self/status in bytes (VmRSS, VmHWM).
double StatusBytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field + ":", 0) == 0) return std::stod(line.substr(field.size() + 1)) * 1024;
  }
  return 0;
}

}  // namespace

std::string WriteFile(const std::string& path, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out) throw std::runtime_error("cannot write " + path);
  return path;
}

CatalogueFile WriteCatalogue(const std::string& dataDir, const std::string& label, std::size_t targetBytes,
                             Shape shape) {
  CatalogueFile c;
  c.label = label;
  c.shape = shape;
  c.folder = dataDir + "/" + label;
  c.path = c.folder + "/SystemPipedex.xml";
  std::string text;
  if (targetBytes == 0) {
    std::ifstream in(PIPEDEX_SAMPLE_CATALOGUE, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
  } else if (shape == Shape::Dense) {
    c.blocks = DenseBlocksForSize(PIPEDEX_SAMPLE_CATALOGUE, targetBytes);
    text = GenerateDenseCatalogue(PIPEDEX_SAMPLE_CATALOGUE, c.blocks);
  } else {
    c.replicas = ReplicasForSize(PIPEDEX_SAMPLE_CATALOGUE, targetBytes);
    text = GenerateCatalogue(PIPEDEX_SAMPLE_CATALOGUE, c.replicas);
  }
  c.bytes = text.size();
  WriteFile(c.path, text);
  return c;
}

std::unique_ptr<Pipedex> OpenCatalogue(const CatalogueFile& catalogue, bool index) {
  SystemPlatformOptions options;
  options.indexFolder = index ? "" : "off";
  options.componentFolder = catalogue.folder;
  options.registryFile = catalogue.folder + "/no-registry.reg";
  options.locale = "en_US.UTF-8";
  return std::make_unique<Pipedex>(MakeSystemPlatform(options));
}

namespace {

// Runs this program again with the arguments and reads the "seconds peakBytes"
// it prints; negative figures when it failed.
LoadMeasure MeasureChild(const std::string& arguments) {
  const std::string command = "/proc/" + std::to_string(::getpid()) + "/exe " + arguments;
  LoadMeasure m;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return m;
  char buffer[128] = {};
  std::string out;
  while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
  if (::pclose(pipe) != 0) return m;
  std::istringstream in(out);
  in >> m.seconds >> m.peakBytes;
  return m;
}

}  // namespace

LoadMeasure MeasureLoad(const std::string& mode, const CatalogueFile& catalogue) {
  return MeasureChild("--measure-load " + mode + " '" + catalogue.folder + "'");
}

int MeasureLoadChild(const std::string& mode, const std::string& folder) {
  CatalogueFile c;
  c.folder = folder;
  c.path = folder + "/SystemPipedex.xml";
  auto cpu = [] {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
  };
  const double before = StatusBytes("VmRSS");
  const double start = cpu();
  double seconds = 0;
  if (mode == "parse") {
    pugi::xml_document doc;
    if (!doc.load_file(c.path.c_str())) return 1;
    seconds = cpu() - start;
  } else {
    auto p = OpenCatalogue(c);
    p->GroupCount();
    seconds = cpu() - start;
  }
  std::cout << seconds << " " << StatusBytes("VmHWM") - before << "\n";
  return 0;
}

int MeasureProcessChild(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int started = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (started != 0) return 1;
  int status = 0;
  rusage usage{};
  if (::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return 1;
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6; };
  std::cout << seconds(usage.ru_utime) + seconds(usage.ru_stime) << " "
            << static_cast<double>(usage.ru_maxrss) * 1024 << "\n";  // kilobytes on Linux
  return 0;
}

ProcessMeasure MeasureProcess(const std::vector<std::string>& argv) {
  std::string arguments = "--measure-process";
  for (const std::string& a : argv) arguments += " '" + a + "'";
  return MeasureChild(arguments);
}

std::string ProgramFolder() {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

}  // namespace pipedex::bench
