#include "platform/win32/window/thread_timer.h"

#include <map>

#include "platform/win32/base/win32_error.h"

namespace hdgr::win32 {

namespace {

// The thread's timers by the id the system gave them.
std::map<UINT_PTR, ThreadTimer*>& TimersOfThisThread() {
  thread_local std::map<UINT_PTR, ThreadTimer*> timers;
  return timers;
}

// The system may give a stopped timer's id to another: only this timer's own entry goes.
void Forget(UINT_PTR id, const ThreadTimer* timer) {
  const auto found = TimersOfThisThread().find(id);
  if (found != TimersOfThisThread().end() && found->second == timer) TimersOfThisThread().erase(found);
}

}  // namespace

ThreadTimer::ThreadTimer(UINT interval_ms, std::function<void()> ticked)
    : interval_ms_(interval_ms), ticked_(std::move(ticked)) {}

ThreadTimer::~ThreadTimer() {
  SetEnabled(false);
  Forget(id_, this);
}

void ThreadTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  if (enabled) {
    const UINT_PTR id = SetTimer(nullptr, 0, interval_ms_, &Ticked);
    ThrowLastErrorIf(id == 0, "timer");
    Forget(id_, this);
    id_ = id;
    TimersOfThisThread()[id_] = this;
  } else {
    KillTimer(nullptr, id_);
  }
  enabled_ = enabled;
}

void CALLBACK ThreadTimer::Ticked(HWND, UINT, UINT_PTR id, DWORD) {
  const auto found = TimersOfThisThread().find(id);
  if (found != TimersOfThisThread().end()) found->second->ticked_();
}

}  // namespace hdgr::win32
