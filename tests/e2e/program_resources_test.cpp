#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "tests/e2e/e2e_fixture.h"

namespace hdgr::e2e {
namespace {

std::vector<std::uint8_t> VersionInfo() {
  const std::wstring path = SetupProgramPath();
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
  std::vector<std::uint8_t> info(size);
  if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, info.data())) return {};
  return info;
}

std::wstring VersionString(std::vector<std::uint8_t>& info, const std::wstring& name) {
  void* value = nullptr;
  UINT length = 0;
  const std::wstring query = L"\\StringFileInfo\\040904B0\\" + name;
  if (!VerQueryValueW(info.data(), query.c_str(), &value, &length) || length == 0) return L"<missing>";
  return std::wstring(static_cast<const wchar_t*>(value));
}

// The program file's resources, loaded as data.
class ProgramResources {
 public:
  ProgramResources()
      : module_(LoadLibraryExW(SetupProgramPath().c_str(), nullptr,
                               LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
  ProgramResources(const ProgramResources&) = delete;
  ProgramResources& operator=(const ProgramResources&) = delete;
  ~ProgramResources() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  std::span<const std::uint8_t> Bytes(const wchar_t* type, const wchar_t* name) const {
    HRSRC found = FindResourceW(module_, name, type);
    HGLOBAL loaded = found != nullptr ? LoadResource(module_, found) : nullptr;
    if (loaded == nullptr) return {};
    return {static_cast<const std::uint8_t*>(LockResource(loaded)), SizeofResource(module_, found)};
  }

 private:
  HMODULE module_;
};

TEST(ProgramResources, VersionInformationReadsBackThroughTheVersionApi) {
  std::vector<std::uint8_t> info = VersionInfo();
  ASSERT_FALSE(info.empty());
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(4, 3));  // 3.4
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);              // .0.0
  EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(4, 3));
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  EXPECT_EQ(VersionString(info, L"FileVersion"), L"3.04");
  EXPECT_EQ(VersionString(info, L"ProductVersion"), L"3.04");
  EXPECT_EQ(VersionString(info, L"FileDescription"), L"Builds three setup files then runs Setup.exe");
  EXPECT_EQ(VersionString(info, L"Comments"), L"Halden Grid self-extracting setup");
  EXPECT_EQ(VersionString(info, L"ProductName"), L"Halden Grid");
  EXPECT_EQ(VersionString(info, L"InternalName"), L"hdGR_3_4_Setup");
  EXPECT_EQ(VersionString(info, L"OriginalFilename"), L"hdGR_3_4_Setup.exe");
}

TEST(ProgramResources, IconHasA32And16PixelImageOf16Colours) {
  const ProgramResources resources;
  const auto group = resources.Bytes(RT_GROUP_ICON, MAKEINTRESOURCEW(1));
  ASSERT_GE(group.size(), 6u);
  // GRPICONDIR: reserved, type 1, count; then 14-byte entries.
  const unsigned count = group[4] | group[5] << 8;
  ASSERT_EQ(count, 2u);
  ASSERT_EQ(group.size(), 6u + 14u * count);
  std::vector<std::pair<int, int>> sizes;
  for (unsigned i = 0; i < count; ++i) {
    const std::uint8_t* entry = group.data() + 6 + 14 * i;
    sizes.emplace_back(entry[0], entry[1]);
    EXPECT_EQ(entry[2], 16) << "colours";
    EXPECT_EQ(entry[6] | entry[7] << 8, 4) << "bits per pixel";
  }
  EXPECT_EQ(sizes, (std::vector<std::pair<int, int>>{{32, 32}, {16, 16}}));
}

TEST(ProgramResources, ManifestAsksForCommonControls6HighestAvailableAndPerMonitorDpiAwareness) {
  const ProgramResources resources;
  const auto manifest = resources.Bytes(RT_MANIFEST, MAKEINTRESOURCEW(1));
  const std::string text(manifest.begin(), manifest.end());
  EXPECT_NE(text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
  EXPECT_NE(text.find("level=\"highestAvailable\""), std::string::npos);
  // Per monitor (v2) where the system has it, v1 where it knows only that; aware of the
  // system's density before that.
  EXPECT_NE(text.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos);
  EXPECT_NE(text.find(">true</dpiAware>"), std::string::npos);
  // Paths past MAX_PATH where Windows allows them: the product's folder may lie so deep.
  EXPECT_NE(text.find(">true</longPathAware>"), std::string::npos);
  // Windows 8, 8.1 and 10 only: Windows 7 lacks functions the program imports.
  EXPECT_EQ(text.find("{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"), std::string::npos);
  EXPECT_NE(text.find("{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"), std::string::npos);
}

TEST(ProgramResources, CarrierResourceIsThePackedBitmapByteForByte) {
  const ProgramResources resources;
  const auto carrier = resources.Bytes(RT_RCDATA, L"CARRIER");
  const std::vector<std::uint8_t> packed = ReadWholeFile(CarrierPath());
  ASSERT_EQ(carrier.size(), 6'000'054u);
  EXPECT_TRUE(std::equal(carrier.begin(), carrier.end(), packed.begin(), packed.end()));
}

}  // namespace
}  // namespace hdgr::e2e
