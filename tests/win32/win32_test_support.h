#pragma once
// Scratch space for the Win32 tests: a fresh folder under %TEMP%\hdgr-win32-tests per
// test, files with attributes, and a way to catch a run-time error's number.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/run_time_error.h"

namespace hdgr::win32::testing {

class TempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // A UTF-8 path inside the folder.
  std::string Path(const std::string& name) const { return folder_ + "\\" + name; }
  const std::string& Folder() const { return folder_; }

 private:
  std::string folder_;
};

void PutFile(const std::string& path, const std::vector<std::uint8_t>& bytes, DWORD attributes = 0);
std::vector<std::uint8_t> Contents(const std::string& path);  // empty when missing
bool Exists(const std::string& path);
DWORD Attributes(const std::string& path);
std::vector<std::uint8_t> Bytes(std::size_t length, std::uint8_t seed = 1);

struct Failure {
  ErrorNumber number;
  std::string detail;
};
// The run-time error `action` throws; a test failure when it throws none.
Failure FailureOf(const std::function<void()>& action);

// The folder the test program lives in, with a closing separator.
std::string ProgramFolder();

}  // namespace hdgr::win32::testing
