#include "tools/hdgr-pe/requested_level.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tools/hdgr-pack/installer_rights_of.h"
#include "tools/hdgr-pe/pe_image.h"

namespace hdgr::pe {
namespace {

// A program file of 32 or 64 bits whose one section, .rsrc, holds a resource tree with
// the manifest `xml` as RT_MANIFEST 1 (no manifest when `xml` is empty).
std::vector<std::uint8_t> ProgramWithManifest(bool is_64bit, const std::string& xml) {
  constexpr std::size_t kPe = 0x40, kOptional = kPe + 24, kRsrcRaw = 0x200;
  constexpr std::uint32_t kRsrcRva = 0x1000;
  const std::size_t optional_size = is_64bit ? 240 : 224;
  std::vector<std::uint8_t> bytes(0x600);
  const auto put16 = [&](std::size_t at, std::uint32_t value) {
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
  };
  const auto put32 = [&](std::size_t at, std::uint32_t value) {
    put16(at, value & 0xffff);
    put16(at + 2, value >> 16);
  };
  bytes[0] = 'M';
  bytes[1] = 'Z';
  put32(0x3c, kPe);
  std::memcpy(&bytes[kPe], "PE\0\0", 4);
  put16(kPe + 4, is_64bit ? 0x8664 : 0x14c);
  put16(kPe + 6, 1);
  put16(kPe + 20, static_cast<std::uint32_t>(optional_size));
  put16(kOptional, is_64bit ? 0x20b : 0x10b);
  const std::size_t count_at = kOptional + (is_64bit ? 108 : 92);
  put32(count_at, 16);
  const std::size_t section = kOptional + optional_size;
  std::memcpy(&bytes[section], ".rsrc", 5);
  put32(section + 8, 0x400);
  put32(section + 12, kRsrcRva);
  put32(section + 16, 0x400);
  put32(section + 20, kRsrcRaw);
  if (xml.empty()) return bytes;
  put32(count_at + 4 + 2 * 8, kRsrcRva);  // the resource directory
  put32(count_at + 4 + 2 * 8 + 4, 0x200);
  // Type RT_MANIFEST -> name 1 -> language 0x409 -> the data entry -> the text.
  put16(kRsrcRaw + 14, 1);
  put32(kRsrcRaw + 16, 24);
  put32(kRsrcRaw + 20, 0x80000000u | 0x18);
  put16(kRsrcRaw + 0x18 + 14, 1);
  put32(kRsrcRaw + 0x18 + 16, 1);
  put32(kRsrcRaw + 0x18 + 20, 0x80000000u | 0x30);
  put16(kRsrcRaw + 0x30 + 14, 1);
  put32(kRsrcRaw + 0x30 + 16, 0x409);
  put32(kRsrcRaw + 0x30 + 20, 0x48);
  put32(kRsrcRaw + 0x48, kRsrcRva + 0x60);
  put32(kRsrcRaw + 0x48 + 4, static_cast<std::uint32_t>(xml.size()));
  std::memcpy(&bytes[kRsrcRaw + 0x60], xml.data(), xml.size());
  return bytes;
}

std::string Manifest(const std::string& requested) {
  return "<?xml version=\"1.0\"?><assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\"><trustInfo><security>"
         "<requestedPrivileges>" + requested + "</requestedPrivileges></security></trustInfo></assembly>";
}

TEST(RequestedLevelTest, ReadsTheManifestsLevelInEitherWidth) {
  const struct {
    const char* name;
    bool is_64bit;
    std::string xml;
    RequestedLevel level;
  } rows[] = {
      {"64-bit, requireAdministrator", true,
       Manifest("<requestedExecutionLevel level=\"requireAdministrator\" uiAccess=\"false\"/>"),
       RequestedLevel::kRequireAdministrator},
      {"32-bit, single quotes and blanks", false, Manifest("<requestedExecutionLevel uiAccess='false' level = 'highestAvailable' />"),
       RequestedLevel::kHighestAvailable},
      {"32-bit, asInvoker", false, Manifest("<requestedExecutionLevel level=\"asInvoker\"/>"), RequestedLevel::kAsInvoker},
      {"a manifest without a level", true, Manifest(""), RequestedLevel::kNone},
      {"no resources at all", false, "", RequestedLevel::kNone},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const ProgramRequest request = ReadProgramRequest(ProgramWithManifest(row.is_64bit, row.xml));
    EXPECT_EQ(request.level, row.level);
    EXPECT_EQ(request.is_64bit, row.is_64bit);
  }
}

TEST(RequestedLevelTest, DamagedResourcesAreRefused) {
  std::vector<std::uint8_t> outside = ProgramWithManifest(true, Manifest("<requestedExecutionLevel level=\"asInvoker\"/>"));
  outside[0x200 + 0x48 + 1] = 0x70;  // the text's address lies past every section
  EXPECT_THROW(ReadProgramRequest(outside), PeError);
  std::vector<std::uint8_t> loop = ProgramWithManifest(false, Manifest("<requestedExecutionLevel level=\"asInvoker\"/>"));
  loop[0x200 + 0x30 + 20 + 3] = 0x80;  // the language level names a subdirectory
  EXPECT_THROW(ReadProgramRequest(loop), PeError);
  EXPECT_THROW(ReadProgramRequest(std::vector<std::uint8_t>(100, 0)), PeError);
}

// What the build records for the run's decision, as Windows treats each installer.
TEST(RequestedLevelTest, AnInstallerWithoutALevelIsElevatedOnlyAt32Bits) {
  const struct {
    const char* name;
    std::vector<std::uint8_t> program;
    InstallerRights rights;
  } rows[] = {
      {"asks for the administrators", ProgramWithManifest(true, Manifest("<requestedExecutionLevel level=\"requireAdministrator\"/>")),
       InstallerRights::kRequireAdministrator},
      {"32-bit without a level: installer detection", ProgramWithManifest(false, ""), InstallerRights::kRequireAdministrator},
      {"64-bit without a level", ProgramWithManifest(true, ""), InstallerRights::kAsInvoker},
      {"no program file", std::vector<std::uint8_t>(148'336, 0x5A), InstallerRights::kAsInvoker},
  };
  for (const auto& row : rows) EXPECT_EQ(InstallerRightsOf(row.program).rights, row.rights) << row.name;
}

}  // namespace
}  // namespace hdgr::pe
