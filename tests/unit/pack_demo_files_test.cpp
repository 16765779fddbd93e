#include "tools/hdgr-pack/demo_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>

#include "package/segment_layout.h"
#include "tools/hdgr-pack/digests_source.h"
#include "tools/hdgr-pack/pack_error.h"

namespace hdgr {
namespace {

TEST(PackDemoFilesTest, FileListIsCrLfTextOfItsExactLengthNamingEveryFile) {
  const auto bytes = DemoFileList();
  const std::string text(bytes.begin(), bytes.end());
  ASSERT_EQ(text.size(), static_cast<std::size_t>(kDesignedSegments[SegmentIndexOf("Setup.LST")].length));
  ASSERT_GE(text.size(), 2u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
    ASSERT_EQ(text[at - 1], '\r') << "bare line feed at " << at;
  for (const Segment& segment : kDesignedSegments)
    EXPECT_NE(text.find(std::string(segment.file_name) + "," + std::to_string(segment.length)), std::string::npos);
}

TEST(PackDemoFilesTest, CabinetIsTheSameEveryTimeAndStartsLikeOne) {
  const auto cabinet = DemoCabinet();
  ASSERT_EQ(cabinet.size(), static_cast<std::size_t>(kDesignedSegments[SegmentIndexOf("HaldenGrid.CAB")].length));
  EXPECT_EQ(std::string(cabinet.begin(), cabinet.begin() + 4), "MSCF");
  EXPECT_EQ(cabinet, DemoCabinet());
  EXPECT_LT(std::count(cabinet.begin(), cabinet.end(), std::uint8_t{0}), static_cast<long>(cabinet.size() / 64));
}

TEST(PackDemoFilesTest, PaddingKeepsTheProgramAndFillsItsLength) {
  const int setup = SegmentIndexOf("Setup.exe");
  const std::vector<std::uint8_t> program{'M', 'Z', 1, 2, 3};
  const auto padded = PadToLength(program, 148'336, "stand-in.exe");
  ASSERT_EQ(padded.size(), 148'336u);
  EXPECT_TRUE(std::equal(program.begin(), program.end(), padded.begin()));
  EXPECT_TRUE(std::all_of(padded.begin() + 5, padded.end(), [](std::uint8_t b) { return b == 0; }));
  EXPECT_EQ(PadToLength(padded, 148'336, "stand-in.exe"), padded);
  EXPECT_THROW(PadToLength(std::vector<std::uint8_t>(148'337), 148'336, "stand-in.exe"), PackError);
  EXPECT_THROW(PadToLength(program, 0, "stand-in.exe"), PackError);
  EXPECT_THROW(SegmentIndexOf("setup.exe"), PackError);
  EXPECT_THROW(GeneratedDemoFile(setup), PackError);
}

// Padding fills a program's segment with zeros; a data file filled so would be packed as if real.
TEST(PackDemoFilesTest, OnlyTheProgramsArePadded) {
  EXPECT_EQ(ProgramSegmentIndexOf("Setup.exe"), SegmentIndexOf("Setup.exe"));
  EXPECT_EQ(ProgramSegmentIndexOf("HaldenGrid.exe"), SegmentIndexOf("HaldenGrid.exe"));
  for (const char* data : {"Setup.LST", "HaldenGrid.CAB", "setup.exe"})
    EXPECT_THROW(ProgramSegmentIndexOf(data), PackError) << data;
}

TEST(PackDemoFilesTest, DigestsSourceListsEachDigestsBytesInTableOrder) {
  PayloadDigests digests;
  for (std::size_t i = 0; i < digests.size(); ++i)
    for (std::size_t k = 0; k < digests[i].size(); ++k) digests[i][k] = static_cast<std::uint8_t>(i * 40 + k * 7);
  const SegmentTable table = TableOf({11, 22, 33, 44});
  const std::string source = DigestsSource(table, digests, InstallerRights::kRequireAdministrator);
  EXPECT_NE(source.find("const PayloadDigests kPayloadDigests"), std::string::npos);
  EXPECT_NE(source.find("const InstallerRights kInstallerRights = InstallerRights::kRequireAdministrator;"),
            std::string::npos);

  std::string listed;
  const std::regex byte_literal("0x([0-9a-f]{2})");
  for (auto it = std::sregex_iterator(source.begin(), source.end(), byte_literal); it != std::sregex_iterator(); ++it)
    listed += (*it)[1].str();
  std::string expected;
  for (const Sha256Digest& digest : digests) expected += ToHex(digest);
  EXPECT_EQ(listed, expected);
  // The program's build stops when its table is not that of the files packed.
  for (const char* check : {"static_assert(kSegments[0].length == 11,", "static_assert(kSegments[3].length == 44,"})
    EXPECT_NE(source.find(check), std::string::npos) << check;
}

}  // namespace
}  // namespace hdgr
