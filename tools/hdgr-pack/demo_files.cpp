#include "tools/hdgr-pack/demo_files.h"

#include <algorithm>
#include <string>

#include "package/segment_layout.h"
#include "tools/hdgr-pack/pack_error.h"

namespace hdgr {
namespace {

constexpr std::string_view kCabinetName = "HaldenGrid.CAB";
constexpr std::string_view kFileListName = "Setup.LST";
constexpr std::size_t kFillLineBytes = 72;

// splitmix64: a fixed seed gives the same cabinet on every build.
class PseudoRandom {
 public:
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
    z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
    return z ^ (z >> 31);
  }

 private:
  std::uint64_t state_ = 0x4861'6c64'656e'4772;
};

std::string FileListBody() {
  std::string text =
      "; Halden Grid 3.4.0 installer file list (demo payload)\r\n"
      "\r\n"
      "[Package]\r\n"
      "Product=Halden Grid\r\n"
      "Version=3.4.0\r\n"
      "Installer=Setup.exe\r\n"
      "Cabinet=HaldenGrid.CAB\r\n"
      "\r\n"
      "[Files]\r\n";
  int number = 1;
  for (const Segment& segment : kDesignedSegments)
    text += "File" + std::to_string(number++) + "=" + std::string(segment.file_name) + "," +
            std::to_string(segment.length) + "\r\n";
  return text + "\r\n";
}

// A comment line of exactly `bytes` bytes (at least 3), CR LF included.
std::string FillLine(std::size_t bytes) {
  std::string line(bytes - 2, '-');
  line.front() = ';';
  return line + "\r\n";
}

}  // namespace

int SegmentIndexOf(std::string_view file_name) {
  for (std::size_t i = 0; i < kPackedFileNames.size(); ++i)
    if (kPackedFileNames[i] == file_name) return static_cast<int>(i);
  throw PackError("no packed file is named " + std::string(file_name));
}

int ProgramSegmentIndexOf(std::string_view file_name) {
  const int index = SegmentIndexOf(file_name);
  if (file_name == kCabinetName || file_name == kFileListName)
    throw PackError(std::string(file_name) + " is no program: only Setup.exe and HaldenGrid.exe are padded");
  return index;
}

std::vector<std::uint8_t> DemoCabinet() {
  const int index = SegmentIndexOf(kCabinetName);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(kDesignedSegments[index].length));
  // The setup window shows the carrier's top-left, which lies inside the packed cabinet. Its
  // bytes are chosen so that, packed reversed, they paint a calm dark-blue gradient with a
  // little grain, and the window's texts stay legible over the demo package.
  const std::int32_t start =
      SegmentStartIn(kDesignedSegments, index, static_cast<std::int32_t>(CarrierLengthFor(kDesignedCarrierHeight)));
  PseudoRandom random;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const std::int32_t pixel_byte = start - static_cast<std::int32_t>(i) - 1 - kBitmapHeaderBytes;
    const int row = kDesignedCarrierHeight - 1 - pixel_byte / kCarrierRowBytes;  // as displayed, from the top
    const int column = pixel_byte % kCarrierRowBytes / 3;
    const int channel = pixel_byte % 3;  // blue, green, red
    const int grain = static_cast<int>(random.Next() % 9) - 4;
    const int base = channel == 0 ? 40 + std::max(0, 70 - row / 4) : channel == 1 ? 8 + column / 30 : 6 + row / 40;
    bytes[i] = static_cast<std::uint8_t>(std::clamp(base + grain, 0, 255));
  }
  const std::string_view signature = "MSCF";
  std::copy(signature.begin(), signature.end(), bytes.begin());
  return bytes;
}

std::vector<std::uint8_t> DemoFileList() {
  const auto length = static_cast<std::size_t>(kDesignedSegments[SegmentIndexOf(kFileListName)].length);
  std::string text = FileListBody();
  while (length - text.size() >= 2 * kFillLineBytes) text += FillLine(kFillLineBytes);
  // The rest, between one and two fill lines, as two shorter lines.
  const std::size_t rest = length - text.size();
  text += FillLine(rest / 2);
  text += FillLine(rest - rest / 2);
  return {text.begin(), text.end()};
}

std::vector<std::uint8_t> GeneratedDemoFile(int index) {
  if (index == SegmentIndexOf(kCabinetName)) return DemoCabinet();
  if (index == SegmentIndexOf(kFileListName)) return DemoFileList();
  throw PackError(std::string(kPackedFileNames[index]) + " is built from sources, not generated; only " +
                  std::string(kCabinetName) + " and " + std::string(kFileListName) + " are");
}

std::vector<std::uint8_t> PadToLength(std::vector<std::uint8_t> program, std::int32_t length, std::string_view source) {
  if (length < 1 || program.size() > static_cast<std::size_t>(length))
    throw PackError(std::string(source) + ": " + std::to_string(program.size()) + " bytes, longer than the " +
                    std::to_string(length) + " bytes to pad it to");
  program.resize(static_cast<std::size_t>(length), 0);
  return program;
}

}  // namespace hdgr
