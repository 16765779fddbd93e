#include "tools/hdgr-pe/pe_image.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace hdgr::pe {

namespace {

constexpr std::size_t kNewHeaderPointer = 0x3c;
constexpr std::uint16_t kPe32PlusMagic = 0x20b;
constexpr std::size_t kCoffHeaderBytes = 20;
constexpr std::size_t kSectionHeaderBytes = 40;
constexpr std::size_t kChecksumInOptionalHeader = 64;
constexpr std::size_t kDirectoryCountInOptionalHeader = 108;
constexpr std::size_t kDirectoriesInOptionalHeader = 112;
constexpr int kImportDirectory = 1;
constexpr int kLoadConfigDirectory = 10;
constexpr std::size_t kImportDescriptorBytes = 20;
constexpr std::size_t kDependentLoadFlagsAt = 78;

}  // namespace

PeImage::PeImage(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {
  if (bytes_.size() < 0x40 || bytes_[0] != 'M' || bytes_[1] != 'Z') throw PeError("not a program file (no MZ header)");
  const std::size_t pe = U32(kNewHeaderPointer);
  if (pe + 4 + kCoffHeaderBytes > bytes_.size() || std::memcmp(&bytes_[pe], "PE\0\0", 4) != 0)
    throw PeError("not a program file (no PE header)");
  const std::size_t coff = pe + 4;
  const std::uint16_t section_count = U16(coff + 2);
  const std::uint16_t optional_size = U16(coff + 16);
  optional_header_ = coff + kCoffHeaderBytes;
  if (U16(optional_header_) != kPe32PlusMagic) throw PeError("not a 64-bit program file");
  if (optional_size < kDirectoriesInOptionalHeader + 16 * 8) throw PeError("optional header too short");
  const std::size_t table = optional_header_ + optional_size;
  for (std::size_t i = 0; i < section_count; ++i) {
    const std::size_t at = table + i * kSectionHeaderBytes;
    if (at + kSectionHeaderBytes > bytes_.size()) throw PeError("section table past the end of the file");
    std::string name(reinterpret_cast<const char*>(&bytes_[at]), 8);
    name.resize(std::strlen(name.c_str()));
    sections_.push_back(Section{name, U32(at + 12), U32(at + 8), U32(at + 20), U32(at + 16)});
  }
}

std::uint32_t PeImage::U32(std::size_t at) const {
  if (at + 4 > bytes_.size()) throw PeError("read past the end of the file");
  return static_cast<std::uint32_t>(bytes_[at] | bytes_[at + 1] << 8 | bytes_[at + 2] << 16) |
         static_cast<std::uint32_t>(bytes_[at + 3]) << 24;
}

std::uint16_t PeImage::U16(std::size_t at) const {
  if (at + 2 > bytes_.size()) throw PeError("read past the end of the file");
  return static_cast<std::uint16_t>(bytes_[at] | bytes_[at + 1] << 8);
}

void PeImage::Put32(std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes_[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::size_t PeImage::OffsetOfRva(std::uint32_t rva) const {
  for (const Section& section : sections_) {
    if (rva >= section.virtual_address && rva - section.virtual_address < section.raw_size)
      return section.raw_offset + (rva - section.virtual_address);
  }
  throw PeError("address " + std::to_string(rva) + " lies in no section's file bytes");
}

std::size_t PeImage::DirectoryAt(int index) const {
  if (static_cast<std::uint32_t>(index) >= U32(optional_header_ + kDirectoryCountInOptionalHeader))
    throw PeError("no data directory " + std::to_string(index));
  return optional_header_ + kDirectoriesInOptionalHeader + static_cast<std::size_t>(index) * 8;
}

// Bounded, so that descriptors sharing one long unterminated run of bytes cost no more
// than a short name each.
std::string PeImage::DllNameAtRva(std::uint32_t rva) const {
  const std::size_t at = OffsetOfRva(rva);
  if (at >= bytes_.size())
    throw PeError("the import name at address " + std::to_string(rva) + " lies past the end of the file");
  const auto begin = bytes_.begin() + static_cast<std::ptrdiff_t>(at);
  const auto end = bytes_.begin() + static_cast<std::ptrdiff_t>(std::min(bytes_.size(), at + kLongestDllName + 1));
  const auto terminator = std::find(begin, end, std::uint8_t{0});
  if (terminator == end)
    throw PeError("the import name at address " + std::to_string(rva) + " is unterminated or longer than " +
                  std::to_string(kLongestDllName) + " bytes");
  return std::string(begin, terminator);
}

std::vector<std::string> PeImage::ImportedDlls() const {
  std::vector<std::string> dlls;
  const std::uint32_t table = U32(DirectoryAt(kImportDirectory));
  if (table == 0) return dlls;
  for (std::size_t at = OffsetOfRva(table);; at += kImportDescriptorBytes) {
    const std::uint32_t name = U32(at + 12);
    if (name == 0) return dlls;
    dlls.push_back(DllNameAtRva(name));
  }
}

std::optional<std::uint16_t> PeImage::DependentLoadFlags() const {
  const std::size_t directory = DirectoryAt(kLoadConfigDirectory);
  const std::uint32_t rva = U32(directory);
  if (rva == 0) return std::nullopt;
  const std::size_t at = OffsetOfRva(rva);
  if (U32(at) < kDependentLoadFlagsAt + 2 || U32(directory + 4) < kDependentLoadFlagsAt + 2) return std::nullopt;
  return U16(at + kDependentLoadFlagsAt);
}

void PeImage::AttachLoadConfig() {
  for (const Section& section : sections_) {
    if (section.name != kLoadConfigSection) continue;
    const std::uint32_t size = U32(section.raw_offset);
    if (size == 0 || size > section.virtual_size) throw PeError("the load configuration's size is wrong");
    const std::size_t directory = DirectoryAt(kLoadConfigDirectory);
    Put32(directory, section.virtual_address);
    Put32(directory + 4, size);
    UpdateChecksum();
    return;
  }
  throw PeError(std::string("no ") + kLoadConfigSection + " section");
}

std::string PeImage::SectionAt(std::uint64_t offset) const {
  for (const Section& section : sections_)
    if (offset >= section.raw_offset && offset - section.raw_offset < section.raw_size) return section.name;
  if (sections_.empty() || offset < sections_.front().raw_offset) return "headers";
  return "after the sections";
}

void PeImage::UpdateChecksum() {
  const std::size_t field = optional_header_ + kChecksumInOptionalHeader;
  if (U32(field) != 0) Put32(field, PeChecksum(bytes_, field));
}

std::uint64_t ParseOffset(std::string_view text) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string_view digits = hex ? text.substr(2) : text;
  std::uint64_t offset = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), offset, hex ? 16 : 10);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
    throw PeError("not a file offset: \"" + std::string(text) + "\" (decimal, or hexadecimal after 0x)");
  return offset;
}

std::uint32_t PeChecksum(const std::vector<std::uint8_t>& bytes, std::size_t checksum_at) {
  std::uint64_t sum = 0;
  for (std::size_t at = 0; at < bytes.size(); at += 2) {
    if (at >= checksum_at && at < checksum_at + 4) continue;
    const std::uint32_t word = bytes[at] | (at + 1 < bytes.size() ? bytes[at + 1] << 8 : 0);
    sum += word;
    sum = (sum & 0xffff) + (sum >> 16);
  }
  sum = (sum & 0xffff) + (sum >> 16);
  return static_cast<std::uint32_t>(sum + bytes.size());
}

}  // namespace hdgr::pe
