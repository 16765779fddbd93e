#include "package/sha256_worker.h"

#include <chrono>
#include <system_error>
#include <utility>

namespace hdgr {

namespace {

// How long an idle worker watches for the next block before it sleeps: longer than the
// gap between two files of a run, short enough not to matter to anybody else.
constexpr auto kWatchBeforeSleeping = std::chrono::milliseconds(2);

template <class Done>
void SpinUntil(const Done& done) {
  for (unsigned spins = 0; !done(); ++spins) {
    if (spins < 64) {
#if defined(__x86_64__) || defined(__i386__)
      __builtin_ia32_pause();
#endif
    } else {
      std::this_thread::yield();
    }
  }
}

}  // namespace

Sha256Worker::Sha256Worker() {
  try {
    thread_ = std::thread(&Sha256Worker::Work, this);
  } catch (const std::system_error&) {
    // Without a thread of its own the caller computes the digest: slower, as sound.
  }
}

Sha256Worker::~Sha256Worker() {
  if (!thread_.joinable()) return;
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  woken_.notify_one();
  thread_.join();
}

void Sha256Worker::WaitUntilIdle() const {
  SpinUntil([this] { return !has_handed_.load() && !busy_.load(); });
}

void Sha256Worker::Begin() {
  WaitUntilIdle();
  digest_ = Sha256();
  // Woken now, while the caller makes the file, the worker is watching when the first
  // block comes.
  if (sleeping_) {
    {
      const std::lock_guard lock(mutex_);
      watch_asked_ = true;
    }
    woken_.notify_one();
  }
}

void Sha256Worker::Update(std::span<const std::uint8_t> bytes) {
  if (!thread_.joinable()) {
    digest_.Update(bytes);
    return;
  }
  SpinUntil([this] { return !has_handed_.load(); });
  handed_.assign(bytes.begin(), bytes.end());
  has_handed_ = true;
  // The worker marks itself sleeping before it last looks for a block, under the lock it
  // sleeps with: one of the two sees the other, and a wake-up cannot be lost.
  if (sleeping_) {
    { const std::lock_guard lock(mutex_); }
    woken_.notify_one();
  }
}

Sha256Digest Sha256Worker::Finish() {
  WaitUntilIdle();
  return digest_.Finish();
}

// Just after a block, or when a file begins, the worker watches for the next block (far
// sooner than a sleeping thread wakes under Wine); idle for longer it sleeps until one comes.
bool Sha256Worker::WaitForBlock(bool watch) {
  const auto ready = [this] { return has_handed_.load() || stopping_.load(); };
  for (;;) {
    if (watch) {
      const auto sleep_at = std::chrono::steady_clock::now() + kWatchBeforeSleeping;
      for (unsigned spins = 1; !ready(); ++spins) {
        if (spins % 256 == 0 && std::chrono::steady_clock::now() >= sleep_at) break;
        std::this_thread::yield();
      }
    }
    if (ready()) return !stopping_;
    std::unique_lock lock(mutex_);
    sleeping_ = true;
    woken_.wait(lock, [&] { return ready() || watch_asked_; });
    sleeping_ = false;
    watch = std::exchange(watch_asked_, false);
  }
}

void Sha256Worker::Work() {
  for (bool just_hashed = false; WaitForBlock(just_hashed); just_hashed = true) {
    // Busy before the block is taken, so that nobody sees the worker idle in between.
    busy_ = true;
    std::swap(handed_, hashing_);
    has_handed_ = false;
    digest_.Update(hashing_);
    busy_ = false;
  }
}

}  // namespace hdgr
