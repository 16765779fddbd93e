#include "package/payload_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_platform.h"

namespace hdgr::testing {
namespace {

const std::string kPath = "c:\\hdgr_temp_setup\\Setup.exe";

// Larger than one chunk of the double's reads, so the digest must span several.
std::vector<std::uint8_t> Payload() {
  std::vector<std::uint8_t> bytes(200'000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
  return bytes;
}

TEST(VerifyWrittenFile, AcceptsTheBytesOfThePackage) {
  FakePlatform fake;
  fake.PutFile(kPath, Payload());
  EXPECT_NO_THROW(VerifyWrittenFile(fake, kPath, Sha256Of(Payload())));
  EXPECT_EQ(fake.calls, std::vector<std::string>{"ReadFileInChunks(" + kPath + ")"});
}

TEST(VerifyWrittenFile, AnyDifferenceIsAnErrorNamingTheFile) {
  std::vector<std::uint8_t> last_byte_changed = Payload();
  last_byte_changed.back() ^= 1;
  std::vector<std::uint8_t> one_byte_longer = Payload();
  one_byte_longer.push_back(0);
  std::vector<std::uint8_t> one_byte_shorter = Payload();
  one_byte_shorter.pop_back();
  for (const auto& written : {last_byte_changed, one_byte_longer, one_byte_shorter,
                              std::vector<std::uint8_t>{}}) {
    SCOPED_TRACE(written.size());
    FakePlatform fake;
    fake.PutFile(kPath, written);
    try {
      VerifyWrittenFile(fake, kPath, Sha256Of(Payload()));
      ADD_FAILURE() << "accepted";
    } catch (const RunTimeError& error) {
      EXPECT_EQ(error.Number(), ErrorNumber::kPathFileAccessError);
      EXPECT_EQ(error.Detail(), kPath + ": the written bytes do not match the package");
    }
  }
}

TEST(VerifyWrittenFile, MissingFileIsFileNotFound) {
  FakePlatform fake;
  try {
    VerifyWrittenFile(fake, kPath, Sha256Of(Payload()));
    ADD_FAILURE() << "accepted";
  } catch (const RunTimeError& error) {
    EXPECT_EQ(error.Number(), ErrorNumber::kFileNotFound);
    EXPECT_NE(error.Detail().find(kPath), std::string::npos);
  }
}

}  // namespace
}  // namespace hdgr::testing
