#include "base/sys_calls.h"

#ifdef PIPEDEX_FAULT_INJECTION
#include <atomic>

namespace pipedex::sys {
namespace {

std::atomic<long> callsMade{0};
std::atomic<long> callsToFailure{0};  // 0: no call fails
std::atomic<int> failureError{EIO};

}  // namespace

void FailCall(long nth, int error) {
  failureError = error;
  callsToFailure = nth;
}

long CallsMade() { return callsMade; }

bool Fails() {
  ++callsMade;
  long left = callsToFailure.load();
  while (left > 0 && !callsToFailure.compare_exchange_weak(left, left - 1)) {
  }
  if (left != 1) return false;
  errno = failureError;
  return true;
}

}  // namespace pipedex::sys
#endif
