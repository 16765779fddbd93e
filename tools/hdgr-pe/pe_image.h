#pragma once
// A 64-bit Windows program file (PE32+) as bytes: what it imports, its load configuration,
// and the one header field the linker cannot set for us.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace hdgr::pe {

class PeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The section whose contents are the load configuration; the linker of this toolchain does
// not point the header at a load configuration itself.
inline constexpr char kLoadConfigSection[] = ".lcfg";

// A DLL's name is a file name; anything longer is a damaged table, not a name.
inline constexpr std::size_t kLongestDllName = 255;

struct Section {
  std::string name;
  std::uint32_t virtual_address;
  std::uint32_t virtual_size;
  std::uint32_t raw_offset;
  std::uint32_t raw_size;
};

class PeImage {
 public:
  // Throws PeError when `bytes` is not a PE32+ image.
  explicit PeImage(std::vector<std::uint8_t> bytes);

  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  const std::vector<Section>& Sections() const { return sections_; }
  // The DLLs named by the import table, in its order, as spelled there. Throws PeError for a
  // name that is unterminated or longer than kLongestDllName bytes.
  std::vector<std::string> ImportedDlls() const;
  // The load configuration's DependentLoadFlags; nothing when there is no load
  // configuration or it is too short to hold them.
  std::optional<std::uint16_t> DependentLoadFlags() const;
  // Points the load configuration directory at kLoadConfigSection, whose first DWORD is
  // the structure's size, and brings the checksum up to date. Throws when the section is missing.
  void AttachLoadConfig();
  // The section holding file offset `offset`, or "headers" before the first section.
  std::string SectionAt(std::uint64_t offset) const;

 private:
  std::uint32_t U32(std::size_t at) const;
  std::uint16_t U16(std::size_t at) const;
  void Put32(std::size_t at, std::uint32_t value);
  std::size_t OffsetOfRva(std::uint32_t rva) const;
  std::size_t DirectoryAt(int index) const;
  std::string DllNameAtRva(std::uint32_t rva) const;
  void UpdateChecksum();

  std::vector<std::uint8_t> bytes_;
  std::size_t optional_header_ = 0;
  std::vector<Section> sections_;
};

// A file offset as written on a command line: decimal, or hexadecimal after "0x". Throws
// PeError naming `text` when it is neither or does not fit in 64 bits.
std::uint64_t ParseOffset(std::string_view text);

// The PE checksum of `bytes`, whose checksum field lies at `checksum_at`.
std::uint32_t PeChecksum(const std::vector<std::uint8_t>& bytes, std::size_t checksum_at);

}  // namespace hdgr::pe
