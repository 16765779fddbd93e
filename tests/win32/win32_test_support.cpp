#include "win32_test_support.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/win32/base/unique_handle.h"
#include "platform/win32/base/wide_text.h"
#include "platform/win32/system/own_program.h"
#include "tests/wine/wine_host.h"

namespace hdgr::win32::testing {

namespace fs = std::filesystem;

namespace {
fs::path Native(const std::string& path) { return fs::path(Wide(path)); }

std::string Root() {
  wchar_t temp[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  return Utf8(std::wstring(temp, length)) + "hdgr-win32-tests";
}

// Read-only, hidden and system files refuse deletion; make everything plain first. Under
// Wine the host removes it, so a symbolic link goes as a link.
void RemoveTree(const fs::path& root) {
  if (wine_host::RemoveTree(root.wstring())) return;
  std::error_code ignored;
  for (const auto& entry : fs::recursive_directory_iterator(root, ignored))
    SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
  fs::remove_all(root, ignored);
}
}  // namespace

void TempFolderTest::SetUp() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  folder_ = Root() + "\\" + info->test_suite_name() + "." + info->name();
  RemoveTree(Native(folder_));
  fs::create_directories(Native(folder_));
}

void TempFolderTest::TearDown() { RemoveTree(Native(folder_)); }

void PutFile(const std::string& path, const std::vector<std::uint8_t>& bytes, DWORD attributes) {
  {
    std::ofstream out(Native(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
  }
  if (attributes != 0) {
    ASSERT_TRUE(SetFileAttributesW(Wide(path).c_str(), attributes)) << path;
  }
}

// Shared every way, so that it reads a file the services hold as well.
std::vector<std::uint8_t> Contents(const std::string& path) {
  const FileHandle file(CreateFileW(Wide(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                    nullptr));
  std::vector<std::uint8_t> bytes;
  LARGE_INTEGER size{};
  DWORD read = 0;
  if (!file || !GetFileSizeEx(file.Get(), &size)) return bytes;
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  if (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) read = 0;
  bytes.resize(read);
  return bytes;
}

bool Exists(const std::string& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

DWORD Attributes(const std::string& path) { return GetFileAttributesW(Wide(path).c_str()); }

std::vector<std::uint8_t> Bytes(std::size_t length, std::uint8_t seed) {
  std::vector<std::uint8_t> bytes(length);
  for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 7 + i / 251);
  return bytes;
}

Failure FailureOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const RunTimeError& error) {
    return {error.Number(), error.Detail()};
  }
  ADD_FAILURE() << "no run-time error";
  return {ErrorNumber::kInvalidProcedureCall, ""};
}

std::string ProgramFolder() {
  const std::string path = Utf8(OwnProgramPath());
  return path.substr(0, path.find_last_of('\\') + 1);
}

}  // namespace hdgr::win32::testing
