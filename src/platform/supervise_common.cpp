// What the stop requests' guard does the same way on every platform: its
// moves, the request seen by any wait, and the bounded waits built on the
// platform's own wait.
#include "platform/supervise.h"

#include <chrono>

StopRequests* StopRequests::live_ = nullptr;

StopRequests::StopRequests(StopRequests&& other) noexcept { takeFrom(other); }

StopRequests& StopRequests::operator=(StopRequests&& other) noexcept {
  if (this != &other) {
    release();
    takeFrom(other);
  }
  return *this;
}

void StopRequests::takeFrom(StopRequests& other) {
  handle_ = other.handle_;
  blocked_ = other.blocked_;
  graceSeconds_ = other.graceSeconds_;
  requested_ = other.requested_;
  endedScript_ = other.endedScript_;
  error_ = other.error_;
  other.handle_ = -1;
  other.blocked_ = 0;
  if (live_ == &other) live_ = this;
}

bool StopRequests::caught(std::string* error) const {
  *error = error_;
  return handle_ != -1;
}

StopRequests* StopRequests::live() { return live_; }

bool StopRequests::requested() {
  requested_ = requested_ || pendingRequest();
  return requested_;
}

bool StopRequests::endsWithin(ChildProcess* child, int seconds, ChildEnd* end) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(seconds);
  for (;;) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    WaitResult result = waitForChild(child, left > 0 ? static_cast<int>(left) : 0, end);
    if (result == WaitResult::kEnded) return true;
    if (result == WaitResult::kTimedOut) return false;
  }
}

void StopRequests::waitForScript(ChildProcess* script, ChildEnd* end) {
  if (!requested_ && waitForChild(script, -1, end) == WaitResult::kEnded) return;
  // A request lets the database script finish what it began: ended midway,
  // it could leave the server half started (a lock, a process id file) for
  // the next start to trip over. The grace keeps the tool within the time
  // its supervisor gives a stop, after which that would end everything.
  if (endsWithin(script, graceSeconds_, end)) return;
  endChild(script, end);
  endedScript_ = true;
}
