#include "package/payload_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_platform.h"
#include "package/segment_table.h"
#include "tools/hdgr-pack/carrier_bitmap.h"

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
  fake.ClearCalls();
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

// A bitmap of one 24-bit pixel, with `length` bytes in all: the picture reads, and the
// segment table's files lie in the bytes past its one row.
Bytes OnePixelBitmap(std::size_t length) {
  Bytes file = BlankCarrier(kCarrierHeight, nullptr);
  file.resize(length);
  const auto put = [&](std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
  };
  put(18, 1);  // width
  put(22, 1);  // height
  return file;
}

// What /verify asks of the carrier before its digests: the picture as every run reads it,
// and room for the segment table's files between the headers and the unused tail.
TEST(CarrierFault, NamesWhatEveryRunWouldStopAt) {
  const std::size_t needed = kBitmapHeaderBytes + PayloadLength() + kUnusedTailBytes;
  EXPECT_EQ(CarrierFault(BlankCarrier(kCarrierHeight, nullptr)), std::nullopt);
  EXPECT_EQ(CarrierFault(OnePixelBitmap(needed)), std::nullopt);
  EXPECT_EQ(PictureFault(OnePixelBitmap(needed - 1)), std::nullopt) << "a short carrier is still a picture";
  EXPECT_EQ(CarrierFault(OnePixelBitmap(needed - 1)),
            std::to_string(needed - 1) + " bytes: its headers, the segment table's files and its unused tail need " +
                std::to_string(needed));

  Bytes broken = BlankCarrier(kCarrierHeight, nullptr);
  broken[28] = 32;  // bits per pixel
  const std::string says =
      "Run-time error 5: Invalid procedure call or argument, picture is not a bitmap: 1000 x 2000 pixels of 32 bits "
      "need 8000000 bytes, it holds 6000000";
  EXPECT_EQ(CarrierFault(broken), says);
  EXPECT_EQ(PictureFault(broken), says);
  EXPECT_EQ(CarrierFault(Bytes{}),
            "Run-time error 5: Invalid procedure call or argument, picture is not a bitmap: 0 bytes are too few for "
            "its headers");
}

}  // namespace
}  // namespace hdgr::testing
