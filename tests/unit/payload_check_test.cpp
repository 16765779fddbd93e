#include "package/payload_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_platform.h"

namespace hdgr::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string kPath = "c:\\hdgr_temp_setup\\Setup.exe";

Bytes Payload(std::size_t length = 200'000) {
  Bytes bytes(length);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
  return bytes;
}

// `written` handed to a new file for kPath, its number closed.
void WriteNewFile(FakePlatform& fake, const Bytes& written) {
  fake.folders.insert("c:\\hdgr_temp_setup");
  fake.OpenNewFile(kPath, 1);
  fake.WriteRecords(1, 1, written);
  fake.CloseFile(1);
}

// The message names the file the user knows, never the fresh name it was written under.
void ExpectMismatchNamingThePath(const std::function<void()>& check) {
  try {
    check();
    ADD_FAILURE() << "accepted";
  } catch (const RunTimeError& error) {
    EXPECT_EQ(error.Number(), ErrorNumber::kPathFileAccessError);
    EXPECT_EQ(error.Detail(), kPath + ": the written bytes do not match the package");
  }
}

TEST(VerifyNewFile, AcceptsTheLengthAndDigestOfThePackageWithoutReadingTheFileAgain) {
  FakePlatform fake;
  WriteNewFile(fake, Payload());
  fake.calls.clear();
  EXPECT_NO_THROW(VerifyNewFile(fake, kPath, 200'000, Sha256Of(Payload()), Sha256Of(Payload())));
  EXPECT_EQ(fake.calls, std::vector<std::string>{"NewFileLength(" + kPath + ")"});
}

// The digest is of what was handed to the writes; the length is what the file holds. A
// file shorter or longer than its segment fails even when the digest agrees.
TEST(VerifyNewFile, AnyDifferenceIsAnErrorNamingTheFinalPath) {
  Bytes changed = Payload();
  changed.back() ^= 1;
  const struct {
    const char* name;
    Bytes in_file;
    Bytes digested;
  } cases[] = {
      {"a byte changed", changed, changed},
      {"a byte more in the file", Payload(200'001), Payload()},
      {"a byte less in the file", Payload(199'999), Payload()},
      {"nothing written", Bytes{}, Bytes{}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform fake;
    WriteNewFile(fake, c.in_file);
    ExpectMismatchNamingThePath([&] { VerifyNewFile(fake, kPath, 200'000, Sha256Of(c.digested), Sha256Of(Payload())); });
  }
}

// The one file a run starts is read back whole through its hold: a change made after
// it was put in place (by another program, before the hold turned read-only) is caught.
TEST(VerifyHeldFile, ReadsTheHeldFileBackAndCatchesAnyChange) {
  FakePlatform fake;
  WriteNewFile(fake, Payload());
  fake.PutInPlace(kPath);
  EXPECT_NO_THROW(VerifyHeldFile(fake, kPath, 200'000, Sha256Of(Payload())));

  fake.files[Lower(kPath)].bytes[100'000] ^= 0x10;
  ExpectMismatchNamingThePath([&] { VerifyHeldFile(fake, kPath, 200'000, Sha256Of(Payload())); });
  fake.files[Lower(kPath)].bytes = Payload(199'999);
  ExpectMismatchNamingThePath([&] { VerifyHeldFile(fake, kPath, 200'000, Sha256Of(Payload())); });
}

}  // namespace
}  // namespace hdgr::testing
