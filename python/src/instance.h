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

#include <atomic>
#include <memory>
#include <mutex>
#include <type_traits>

#include <pybind11/pybind11.h>

#include "pipedex/pipedex.h"

namespace pipedex::python {

namespace py = pybind11;

struct Instance {
  explicit Instance(std::shared_ptr<Platform> platform) : catalogue(std::move(platform)) {}

  Pipedex catalogue;
  std::mutex inUse;
  std::atomic<bool> loaded{false};
};

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
  using R = decltype(f(self.catalogue));
  if (kind == Kind::Load || (kind == Kind::Query && !self.loaded.load(std::memory_order_acquire))) {
    py::gil_scoped_release nogil;
    std::lock_guard<std::mutex> lock(self.inUse);
    if constexpr (std::is_void_v<R>) {
      f(self.catalogue);
      self.loaded.store(true, std::memory_order_release);
    } else {
      R result = f(self.catalogue);
      self.loaded.store(true, std::memory_order_release);
      return result;
    }
  } else {
    Hold hold(self.inUse);
    return f(self.catalogue);
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
