#include "tools/hdgr-pe/requested_level.h"

#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "tools/hdgr-pe/pe_image.h"

namespace hdgr::pe {

namespace {

constexpr std::uint16_t kPe32Magic = 0x10b;
constexpr std::uint16_t kPe32PlusMagic = 0x20b;
constexpr std::uint32_t kResourceDirectory = 2;
constexpr std::uint32_t kManifestType = 24;       // RT_MANIFEST
constexpr std::uint32_t kProgramManifestId = 1;   // CREATEPROCESS_MANIFEST_RESOURCE_ID
constexpr std::uint32_t kSubdirectoryBit = 0x80000000u;
// Resource trees nest three deep (type, name, language): a deeper or looping one is damage.
constexpr std::size_t kMostEntries = 4096;

class Reader {
 public:
  explicit Reader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
  std::uint32_t U32(std::size_t at) const {
    Need(at, 4);
    return static_cast<std::uint32_t>(bytes_[at] | bytes_[at + 1] << 8 | bytes_[at + 2] << 16) |
           static_cast<std::uint32_t>(bytes_[at + 3]) << 24;
  }
  std::uint16_t U16(std::size_t at) const {
    Need(at, 2);
    return static_cast<std::uint16_t>(bytes_[at] | bytes_[at + 1] << 8);
  }
  void Need(std::size_t at, std::size_t size) const {
    if (at > bytes_.size() || size > bytes_.size() - at) throw PeError("read past the end of the file");
  }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

 private:
  const std::vector<std::uint8_t>& bytes_;
};

struct SectionSpan {
  std::uint32_t rva, raw_size, raw_offset;
};

std::size_t OffsetOf(const std::vector<SectionSpan>& sections, std::uint32_t rva, std::uint32_t size) {
  for (const SectionSpan& s : sections)
    if (rva >= s.rva && rva - s.rva <= s.raw_size && size <= s.raw_size - (rva - s.rva))
      return static_cast<std::size_t>(s.raw_offset) + (rva - s.rva);
  throw PeError("resource address " + std::to_string(rva) + " lies in no section's file bytes");
}

// The entry of the directory at `directory` (an offset into the file) with `id`, or the
// first entry when `id` is 0; its offset field, or nothing.
std::optional<std::uint32_t> EntryOf(const Reader& in, std::size_t directory, std::uint32_t id) {
  const std::size_t named = in.U16(directory + 12);
  const std::size_t ids = in.U16(directory + 14);
  if (named + ids > kMostEntries) throw PeError("a resource directory with too many entries");
  for (std::size_t i = 0; i < named + ids; ++i) {
    const std::size_t entry = directory + 16 + i * 8;
    const std::uint32_t name = in.U32(entry);
    if (i < named) continue;  // named entries come first; a manifest has an id
    if (id == 0 || name == id) return in.U32(entry + 4);
  }
  return std::nullopt;
}

// The value of `attribute` in the first `element` of `xml`: `level="..."` or `level='...'`.
std::string AttributeOf(std::string_view xml, std::string_view element, std::string_view attribute) {
  const std::size_t start = xml.find(element);
  if (start == std::string_view::npos) return {};
  const std::size_t end = xml.find('>', start);
  const std::string_view tag = xml.substr(start, end == std::string_view::npos ? xml.npos : end - start);
  for (std::size_t at = tag.find(attribute); at != std::string_view::npos; at = tag.find(attribute, at + 1)) {
    std::size_t p = at + attribute.size();
    while (p < tag.size() && (tag[p] == ' ' || tag[p] == '\t' || tag[p] == '\r' || tag[p] == '\n')) ++p;
    if (p >= tag.size() || tag[p] != '=') continue;
    ++p;
    while (p < tag.size() && (tag[p] == ' ' || tag[p] == '\t' || tag[p] == '\r' || tag[p] == '\n')) ++p;
    if (p >= tag.size() || (tag[p] != '"' && tag[p] != '\'')) continue;
    const std::size_t close = tag.find(tag[p], p + 1);
    if (close == std::string_view::npos) return {};
    return std::string(tag.substr(p + 1, close - p - 1));
  }
  return {};
}

}  // namespace

ProgramRequest ReadProgramRequest(const std::vector<std::uint8_t>& program) {
  const Reader in(program);
  if (program.size() < 0x40 || program[0] != 'M' || program[1] != 'Z') throw PeError("not a program file (no MZ header)");
  const std::size_t pe = in.U32(0x3c);
  in.Need(pe, 4 + 20);
  if (std::memcmp(&program[pe], "PE\0\0", 4) != 0) throw PeError("not a program file (no PE header)");
  const std::size_t coff = pe + 4;
  const std::size_t optional = coff + 20;
  const std::uint16_t magic = in.U16(optional);
  if (magic != kPe32Magic && magic != kPe32PlusMagic) throw PeError("an optional header of neither 32 nor 64 bits");
  ProgramRequest request;
  request.is_64bit = magic == kPe32PlusMagic;
  const std::size_t count_at = optional + (request.is_64bit ? 108 : 92);
  const std::size_t directories = count_at + 4;
  std::vector<SectionSpan> sections;
  const std::size_t table = optional + in.U16(coff + 16);
  for (std::size_t i = 0; i < in.U16(coff + 2); ++i) {
    const std::size_t at = table + i * 40;
    sections.push_back(SectionSpan{in.U32(at + 12), in.U32(at + 16), in.U32(at + 20)});
  }
  if (in.U32(count_at) <= kResourceDirectory) return request;
  const std::uint32_t root_rva = in.U32(directories + kResourceDirectory * 8);
  const std::uint32_t root_size = in.U32(directories + kResourceDirectory * 8 + 4);
  if (root_rva == 0 || root_size == 0) return request;
  const std::size_t root = OffsetOf(sections, root_rva, 16);

  // Type, then name, then language: each step a subdirectory, the last a data entry.
  std::size_t directory = root;
  for (const std::uint32_t id : {kManifestType, kProgramManifestId}) {
    const auto next = EntryOf(in, directory, id);
    if (!next) return request;
    if (!(*next & kSubdirectoryBit)) throw PeError("a resource directory entry where a subdirectory belongs");
    directory = root + (*next & ~kSubdirectoryBit);
  }
  const auto data = EntryOf(in, directory, 0);
  if (!data) return request;
  if (*data & kSubdirectoryBit) throw PeError("a resource subdirectory where data belongs");
  const std::size_t entry = root + *data;
  const std::uint32_t rva = in.U32(entry);
  const std::uint32_t size = in.U32(entry + 4);
  const std::size_t text = OffsetOf(sections, rva, size);
  const std::string_view xml(reinterpret_cast<const char*>(program.data()) + text, size);
  const std::string level = AttributeOf(xml, "requestedExecutionLevel", "level");
  if (level == "asInvoker") request.level = RequestedLevel::kAsInvoker;
  else if (level == "highestAvailable") request.level = RequestedLevel::kHighestAvailable;
  else if (level == "requireAdministrator") request.level = RequestedLevel::kRequireAdministrator;
  return request;
}

}  // namespace hdgr::pe
