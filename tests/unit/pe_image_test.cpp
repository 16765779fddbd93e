#include "tools/hdgr-pe/pe_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace hdgr::pe {
namespace {

// A small PE32+ image as a linker lays one out: headers, an .rdata section holding an
// import table for two DLLs, and a .lcfg section holding a load configuration whose
// DependentLoadFlags say System32, not yet pointed at by the header.
class SmallImage {
 public:
  static constexpr std::size_t kPe = 0x40, kOptional = kPe + 24, kSections = kOptional + 240;
  static constexpr std::uint32_t kRdataRva = 0x1000, kLcfgRva = 0x2000;
  static constexpr std::size_t kRdataRaw = 0x200, kLcfgRaw = 0x400, kFileSize = 0x600;

  SmallImage() : bytes(kFileSize) {
    bytes[0] = 'M';
    bytes[1] = 'Z';
    Put32(0x3c, kPe);
    std::memcpy(&bytes[kPe], "PE\0\0", 4);
    Put16(kPe + 4, 0x8664);
    Put16(kPe + 6, 2);      // sections
    Put16(kPe + 20, 240);   // optional header size
    Put16(kOptional, 0x20b);
    Put32(kOptional + 64, 1);    // a checksum the linker set
    Put32(kOptional + 108, 16);  // data directories
    Put32(kOptional + 112 + 8, kRdataRva);  // imports
    Put32(kOptional + 112 + 12, 60);
    AddSection(0, ".rdata", kRdataRva, kRdataRaw);
    AddSection(1, ".lcfg", kLcfgRva, kLcfgRaw);
    // Two descriptors and the empty one that ends the table; names after them.
    Put32(kRdataRaw + 12, kRdataRva + 0x80);
    Put32(kRdataRaw + 20 + 12, kRdataRva + 0x90);
    std::memcpy(&bytes[kRdataRaw + 0x80], "KERNEL32.dll", 13);
    std::memcpy(&bytes[kRdataRaw + 0x90], "VERSION.dll", 12);
    Put32(kLcfgRaw, 0x70);
    Put16(kLcfgRaw + 78, 0x800);
  }

  void Put16(std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
  }
  void Put32(std::size_t at, std::uint32_t value) {
    Put16(at, static_cast<std::uint16_t>(value));
    Put16(at + 2, static_cast<std::uint16_t>(value >> 16));
  }
  void AddSection(std::size_t index, const char* name, std::uint32_t rva, std::size_t raw) {
    const std::size_t at = kSections + index * 40;
    std::memcpy(&bytes[at], name, std::strlen(name));
    Put32(at + 8, 0x200);  // virtual size
    Put32(at + 12, rva);
    Put32(at + 16, 0x200);  // raw size
    Put32(at + 20, static_cast<std::uint32_t>(raw));
  }

  std::vector<std::uint8_t> bytes;
};

TEST(PeImageTest, ListsImportsAndAttachesTheLoadConfiguration) {
  PeImage image(SmallImage().bytes);
  EXPECT_EQ(image.ImportedDlls(), (std::vector<std::string>{"KERNEL32.dll", "VERSION.dll"}));
  EXPECT_FALSE(image.DependentLoadFlags().has_value());

  image.AttachLoadConfig();
  EXPECT_EQ(image.DependentLoadFlags(), std::uint16_t{0x800});
  const std::size_t checksum_at = SmallImage::kOptional + 64;
  std::uint32_t checksum = 0;
  std::memcpy(&checksum, &image.Bytes()[checksum_at], 4);
  EXPECT_EQ(checksum, PeChecksum(image.Bytes(), checksum_at));
  // Read back from the bytes alone.
  EXPECT_EQ(PeImage(image.Bytes()).DependentLoadFlags(), std::uint16_t{0x800});
}

TEST(PeImageTest, NamesTheSectionOfAnOffsetAndRefusesWhatIsNoProgram) {
  const PeImage image(SmallImage().bytes);
  EXPECT_EQ(image.SectionAt(0x10), "headers");
  EXPECT_EQ(image.SectionAt(SmallImage::kRdataRaw + 5), ".rdata");
  EXPECT_EQ(image.SectionAt(SmallImage::kLcfgRaw), ".lcfg");

  std::vector<std::uint8_t> not_a_program = SmallImage().bytes;
  not_a_program[0] = 'B';
  EXPECT_THROW(PeImage{not_a_program}, PeError);
  SmallImage no_section;
  no_section.Put16(SmallImage::kPe + 6, 1);  // only .rdata
  PeImage without(no_section.bytes);
  EXPECT_THROW(without.AttachLoadConfig(), PeError);
}

// Every descriptor may point at the same run of bytes: a name is read only up to its bound,
// so the list costs a short name per descriptor, never the rest of the file each.
TEST(PeImageTest, AnImportNameIsReadUpToItsBoundOnly) {
  constexpr std::size_t kName = SmallImage::kRdataRaw + 0x80;
  SmallImage longest;
  std::memset(&longest.bytes[kName], 'a', kLongestDllName);
  longest.bytes[kName + kLongestDllName] = 0;
  EXPECT_EQ(PeImage(longest.bytes).ImportedDlls().at(0), std::string(kLongestDllName, 'a'));

  SmallImage unterminated;  // both descriptors name one run that reaches the file's end
  std::memset(&unterminated.bytes[kName], 'a', SmallImage::kFileSize - kName);
  unterminated.Put32(SmallImage::kRdataRaw + 20 + 12, SmallImage::kRdataRva + 0x80);
  EXPECT_THROW(PeImage(unterminated.bytes).ImportedDlls(), PeError);
  longest.bytes[kName + kLongestDllName] = 'a';  // one byte over, then the .lcfg section's bytes
  EXPECT_THROW(PeImage(longest.bytes).ImportedDlls(), PeError);
}

TEST(PeImageTest, AnOffsetIsDecimalOrHexadecimalAndAnythingElseIsNamed) {
  EXPECT_EQ(ParseOffset("1234"), 1234u);
  EXPECT_EQ(ParseOffset("0x4d2"), 1234u);
  EXPECT_EQ(ParseOffset("0X4D2"), 1234u);
  EXPECT_EQ(ParseOffset("18446744073709551615"), UINT64_MAX);
  for (const std::string bad : {"zz", "", "0x", "-1", "+1", " 12", "12 ", "0x1g", "12abc", "18446744073709551616"}) {
    SCOPED_TRACE("\"" + bad + "\"");
    try {
      ParseOffset(bad);
      ADD_FAILURE() << "accepted";
    } catch (const PeError& error) {
      EXPECT_NE(std::string(error.what()).find("not a file offset: \"" + bad + "\""), std::string::npos)
          << error.what();
    }
  }
}

}  // namespace
}  // namespace hdgr::pe
