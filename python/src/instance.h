#pragma once

// One Pipedex instance as Python holds it, and how its operations are run
// with respect to the GIL.
//
// Loading the catalogue, merging an overlay and saving take long, so those
// calls run without the GIL and other Python threads go on meanwhile. Every
// other call keeps the GIL: it answers from memory in well under a
// microsecond, and giving the GIL up and taking it back would cost more than
// the call itself. Until the first call that needs data has succeeded, every
// call counts as one that may load.
//
// Each instance has a lock, so two Python threads that share an instance take
// turns instead of overlapping inside the component (which does no locking of
// its own). A thread that waits for the lock gives up the GIL while it waits.
//
// close() releases the catalogue; every later call raises pipedex.Error.

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <utility>

#include <pybind11/pybind11.h>

#include "pipedex/error.h"
#include "pipedex/pipedex.h"

namespace pipedex::python {

namespace py = pybind11;

// The source of the errors that the module raises itself.
inline constexpr const char* kModuleSource = "pipedex-python";

struct Instance {
  // catalogueFile: the catalogue file the caller named ("" when none).
  Instance(std::shared_ptr<Platform> platform, std::string catalogueFile)
      : catalogue(std::make_unique<Pipedex>(std::move(platform))), catalogueFile(std::move(catalogueFile)) {}

  std::unique_ptr<Pipedex> catalogue;  // nothing once closed
  const std::string catalogueFile;
  std::mutex inUse;
  std::atomic<bool> loaded{false};
};

// The catalogue of an instance, which the caller holds; raises pipedex.Error
// once it is closed.
inline Pipedex& Open(Instance& self) {
  if (!self.catalogue) throw Error(errors::kObjectNotSet, kModuleSource, "the catalogue is closed");
  return *self.catalogue;
}

// Runs a call that may load. The component reports a missing system file in
// the words of its registry value; a file the caller named is reported as that.
template <typename F>
auto Loading(Instance& self, F&& f) {
  try {
    return f(Open(self));
  } catch (const Error& e) {
    if (e.number() != errors::kDataFileNotFound || self.catalogueFile.empty()) throw;
    std::string description = "the catalogue file ";
    description.append(self.catalogueFile).append(" does not exist");
    throw Error(e.number(), e.source(), description);
  }
}

// What a call may do: answer from loaded data (and load it the first time),
// load or rebuild whatever the state, or answer without any data.
enum class Kind { Query, Load, NoData };

// Holds an instance's lock; waits for it without the GIL when another thread has it.
class Hold {
 public:
  explicit Hold(std::mutex& lock) : lock_(lock) {
    if (!lock_.try_lock()) {
      py::gil_scoped_release nogil;
      lock_.lock();
    }
  }
  ~Hold() { lock_.unlock(); }
  Hold(const Hold&) = delete;
  Hold& operator=(const Hold&) = delete;

 private:
  std::mutex& lock_;
};

// Runs f(catalogue) for a call of the given kind. f touches no Python object.
template <typename F>
auto Run(Instance& self, Kind kind, F&& f) {
  using R = decltype(f(std::declval<Pipedex&>()));
  if (kind == Kind::Load || (kind == Kind::Query && !self.loaded.load(std::memory_order_acquire))) {
    py::gil_scoped_release nogil;
    std::lock_guard<std::mutex> lock(self.inUse);
    if constexpr (std::is_void_v<R>) {
      Loading(self, f);
      self.loaded.store(true, std::memory_order_release);
    } else {
      R result = Loading(self, f);
      self.loaded.store(true, std::memory_order_release);
      return result;
    }
  } else {
    Hold hold(self.inUse);
    return f(Open(self));
  }
}

// A method of the component as a Python method: the same parameters, run as a
// query. For operations whose parameters and result convert as they are.
template <typename R, typename... A>
auto Query(R (Pipedex::*method)(A...)) {
  return [method](Instance& self, A... args) -> R {
    return Run(self, Kind::Query, [&](Pipedex& p) { return (p.*method)(args...); });
  };
}

}  // namespace pipedex::python
