#include "package/sha256_worker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

namespace hdgr {
namespace {

std::vector<std::uint8_t> Data(std::size_t length, std::uint32_t seed) {
  std::vector<std::uint8_t> data(length);
  for (auto& byte : data) byte = static_cast<std::uint8_t>((seed = seed * 1'664'525u + 1'013'904'223u) >> 24);
  return data;
}

// The extractor hands each block from the one buffer it reads the next into: what was
// handed must be what is hashed, however soon the buffer changes.
TEST(Sha256WorkerTest, HashesWhatWasHandedWhileTheCallerReusesItsBuffer) {
  const std::vector<std::uint8_t> data = Data(1'000'003, 7);
  Sha256Worker worker;
  for (const std::size_t block : {1u, 64u, 1000u, 256'000u, 1'000'003u}) {
    worker.Begin();
    std::vector<std::uint8_t> buffer(block);
    for (std::size_t at = 0; at < data.size(); at += block) {
      const std::size_t size = std::min(block, data.size() - at);
      std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(at), size, buffer.begin());
      worker.Update(std::span(buffer.data(), size));
      std::fill(buffer.begin(), buffer.end(), std::uint8_t{0xAA});
    }
    EXPECT_EQ(worker.Finish(), Sha256Of(data)) << "blocks of " << block;
  }
}

TEST(Sha256WorkerTest, EachBeginStartsAFreshDigest) {
  const std::vector<std::uint8_t> first = Data(300'000, 1);
  const std::vector<std::uint8_t> second = Data(5, 2);
  Sha256Worker worker;
  worker.Begin();
  EXPECT_EQ(worker.Finish(), Sha256Of({})) << "nothing handed";
  worker.Begin();
  worker.Update(first);
  worker.Begin();  // a file given up half way: its bytes go nowhere
  worker.Update(second);
  EXPECT_EQ(worker.Finish(), Sha256Of(second));
}

// Idle for longer than it watches, the worker sleeps: the next block must wake it.
TEST(Sha256WorkerTest, WakesForABlockAfterSleeping) {
  const std::vector<std::uint8_t> data = Data(100, 3);
  Sha256Worker worker;
  worker.Begin();
  for (const std::uint8_t byte : data) {
    std::this_thread::sleep_for(std::chrono::milliseconds(byte % 8));
    worker.Update(std::span(&byte, 1));
  }
  EXPECT_EQ(worker.Finish(), Sha256Of(data));
}

TEST(Sha256WorkerTest, EndsWhileABlockIsStillBeingHashed) {
  const std::vector<std::uint8_t> data = Data(4'000'000, 4);
  for (int i = 0; i < 10; ++i) {
    Sha256Worker worker;
    worker.Begin();
    worker.Update(data);
  }
}

}  // namespace
}  // namespace hdgr
