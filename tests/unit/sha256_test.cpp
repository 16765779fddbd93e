#include "package/sha256.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace hdgr {
namespace {

std::span<const std::uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

struct Vector {
  std::string message;
  std::string_view digest;
};

TEST(Sha256Test, StandardVectors) {
  const Vector vectors[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1'000'000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
      // 55 and 56 bytes: the last lengths whose length field fits the final block, and the first that do not.
      {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
      {std::string(56, 'a'), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
      {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
  };
  for (const Vector& v : vectors)
    EXPECT_EQ(ToHex(Sha256Of(Bytes(v.message))), v.digest) << "length " << v.message.size();
}

TEST(Sha256Test, SplitUpdatesEqualOneUpdate) {
  std::vector<std::uint8_t> data(1000);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7 + i / 13);
  const Sha256Digest whole = Sha256Of(data);
  for (const std::size_t piece : {1u, 3u, 63u, 64u, 65u, 127u, 999u}) {
    Sha256 hasher;
    for (std::size_t at = 0; at < data.size(); at += piece)
      hasher.Update(std::span(data).subspan(at, std::min(piece, data.size() - at)));
    EXPECT_EQ(hasher.Finish(), whole) << "pieces of " << piece;
  }
}

TEST(Sha256Test, FinishStartsOver) {
  Sha256 hasher;
  hasher.Update(Bytes("something else"));
  hasher.Finish();
  hasher.Update(Bytes("abc"));
  EXPECT_EQ(hasher.Finish(), Sha256Of(Bytes("abc")));
}

// The standard vectors above go the fastest way this processor has; here the two ways
// must agree on every block, from any state.
TEST(Sha256Test, TheInstructionsAndThePortableRoundsAgree) {
  if (!HasSha256Instructions()) GTEST_SKIP() << "no SHA instructions on this processor";
  std::vector<std::uint8_t> data(64 * 1000);
  std::uint32_t seed = 2024;
  for (auto& byte : data) byte = static_cast<std::uint8_t>((seed = seed * 1'664'525u + 1'013'904'223u) >> 24);
  for (const std::size_t blocks : {1u, 2u, 3u, 17u, 1000u}) {
    Sha256State portable{1, 0xFFFFFFFFu, 0x80000000u, 3, 0x12345678u, 5, 0xDEADBEEFu, 7};
    Sha256State instructions = portable;
    CompressSha256BlocksPortably(portable, data.data(), blocks);
    CompressSha256BlocksWithInstructions(instructions, data.data(), blocks);
    EXPECT_EQ(instructions, portable) << blocks << " blocks";
  }
}

}  // namespace
}  // namespace hdgr
