#include <windows.h>

#include <shellapi.h>

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <vector>
#include <thread>

#include "tests/win32/fixture/fixture_title.h"
#include "platform/win32/system/elevated_copy.h"
#include "platform/win32/system/run_rights.h"
#include "platform/win32/base/system_random.h"
#include "platform/win32/base/unique_handle.h"
#include "platform/win32/base/wide_text.h"
#include "platform/win32/base/win32_error.h"
#include "platform/win32/win32_services.h"
#include "win32_test_support.h"

namespace hdgr::win32::testing {
namespace {

std::string FixturePath() { return ProgramFolder() + "hdgr_win32_fixture.exe"; }

TEST(StartProgram, StartsAProgramAndGivesItsProcessId) {
  Win32Services app;
  const std::uint32_t id = app.StartProgram(FixturePath(), kShowNormalFocus);
  ASSERT_NE(id, 0u);
  const ProcessHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
  ASSERT_TRUE(process) << "no process " << id;
  EXPECT_EQ(WaitForSingleObject(process.Get(), 10'000), WAIT_OBJECT_0);
}

// Only a program that asks for rights the run has not got gives 0 (and the run hands it to
// an elevated copy of itself); any other failure says what the system said.
TEST(StartProgram, AProgramThatCannotStartIsARunTimeErrorWithTheSystemsCode) {
  Win32Services app;
  const Failure missing = FailureOf([&] { app.StartProgram(ProgramFolder() + "NoSuchSetup.exe", kShowNormalFocus); });
  EXPECT_EQ(missing.number, ErrorNumber::kFileNotFound);
  EXPECT_NE(missing.detail.find("NoSuchSetup.exe (Windows error 2"), std::string::npos) << missing.detail;
  const Failure no_folder =
      FailureOf([&] { app.StartProgram("c:\\hdgr no such folder\\Setup.exe", kShowNormalFocus); });
  EXPECT_EQ(no_folder.number, ErrorNumber::kPathNotFound);
}

TEST(ElevatedCopy, ACommandLineSplitsBackIntoTheSameWords) {
  const std::vector<std::vector<std::wstring>> rows = {
      {L"/elevated-upgrade", L"C:\\Program Files\\Halden Grid"},
      {L"/elevated-upgrade", L"C:\\Program Files\\Halden Grid\\"},
      {L"/log", L"c:\\logs\\a \"b\".log", L"/quiet"},
      {L"\\\\server\\share\\x\\\\", L"", L"a\\\\\"b"},
  };
  for (const auto& words : rows) {
    const std::wstring line = L"program.exe " + CommandLineOf(words);
    int count = 0;
    const LocalMemory<LPWSTR*> split(CommandLineToArgvW(line.c_str(), &count));
    ASSERT_TRUE(split);
    std::vector<std::wstring> back;
    for (int i = 1; i < count; ++i) back.emplace_back(split.Get()[i]);
    EXPECT_EQ(back, words) << Utf8(line);
  }
}

// Under Wine there is no prompt and no elevation: the shell's "runas" starts the program
// as it is, which shows the arguments reaching it and its exit code coming back.
TEST(ElevatedCopy, StartsTheProgramWithItsArgumentsAndGivesItsExitCode) {
  int pumped = 0;
  const std::optional<int> code = RunElevated(Wide(FixturePath()), {L"version"}, nullptr, [&] { ++pumped; });
  ASSERT_TRUE(code.has_value());
  EXPECT_EQ(*code, 30407);
  EXPECT_THROW(RunElevated(Wide(ProgramFolder() + "NoSuchSetup.exe"), {}, nullptr, {}), RunTimeError);
}

TEST(RunRights, AUsersRunIsNoServiceAccountsAndMayReplaceItsOwnFiles) {
  EXPECT_FALSE(RunsAsServiceAccount());
  EXPECT_TRUE(MayReplace(Wide(FixturePath())));
  EXPECT_TRUE(MayReplace(Wide(ProgramFolder() + "NoSuchProgram.exe")));
}

// The fixture started with `argument`; an empty handle when it did not start.
ProcessHandle StartFixture(const wchar_t* argument) {
  std::wstring command = L"\"" + Wide(FixturePath()) + L"\" " + argument;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
    return ProcessHandle();
  const ProcessHandle thread(started.hThread);
  return ProcessHandle(started.hProcess);
}

// The fixture carries version 3.4.7 and reports what its services read as its exit code.
TEST(OwnVersion, ComesFromTheFixedVersionInformation) {
  const ProcessHandle process = StartFixture(L"version");
  ASSERT_TRUE(process);
  ASSERT_EQ(WaitForSingleObject(process.Get(), 10'000), WAIT_OBJECT_0);
  DWORD exit_code = 0;
  GetExitCodeProcess(process.Get(), &exit_code);
  EXPECT_EQ(exit_code, 30407u);
}

TEST(OwnVersion, AProgramWithoutVersionInformationIsAnError) {
  Win32Services app;  // this test program carries none
  const Failure failure = FailureOf([&] { app.GetOwnVersion(); });
  EXPECT_EQ(failure.number, ErrorNumber::kPathFileAccessError);
  EXPECT_NE(failure.detail.find("no version information"), std::string::npos) << failure.detail;
}

TEST(Win32Error, KeepsTheClassicNumbersAndNamesTheObject) {
  struct Case {
    DWORD code;
    ErrorNumber number;
  };
  const Case cases[] = {
      {ERROR_FILE_NOT_FOUND, ErrorNumber::kFileNotFound},
      {ERROR_PATH_NOT_FOUND, ErrorNumber::kPathNotFound},
      {ERROR_INVALID_NAME, ErrorNumber::kBadFileNameOrNumber},
      {ERROR_TOO_MANY_OPEN_FILES, ErrorNumber::kTooManyFiles},
      {ERROR_ACCESS_DENIED, ErrorNumber::kPermissionDenied},
      {ERROR_SHARING_VIOLATION, ErrorNumber::kPermissionDenied},
      {ERROR_LOCK_VIOLATION, ErrorNumber::kPermissionDenied},
      {ERROR_DISK_FULL, ErrorNumber::kDiskFull},
      {ERROR_HANDLE_DISK_FULL, ErrorNumber::kDiskFull},
      {ERROR_ALREADY_EXISTS, ErrorNumber::kPathFileAccessError},
      {ERROR_GEN_FAILURE, ErrorNumber::kPathFileAccessError},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorNumberOf(c.code), c.number) << c.code;
  const RunTimeError error = Win32Error(ERROR_DISK_FULL, "c:\\hdgr_temp_setup\\Setup.exe");
  EXPECT_NE(error.MessageText().find("Run-time error 61: Disk full"), std::string::npos);
  EXPECT_NE(error.Detail().find("c:\\hdgr_temp_setup\\Setup.exe (Windows error 112"), std::string::npos)
      << error.Detail();
}

// The event boundary's end: the error box, then exit code 1 once the user presses OK.
// Fresh names and the stack guard take the system's generator, loaded at run time from
// System32: it is there, and two draws differ.
TEST(SystemRandom, ComesFromTheSystemsGeneratorLoadedAtRunTime) {
  std::array<std::uint8_t, 16> first{}, second{};
  ASSERT_TRUE(SystemRandom(first));
  ASSERT_TRUE(SystemRandom(second));
  EXPECT_NE(first, second);
  EXPECT_NE(GetModuleHandleW(L"bcrypt.dll"), nullptr);
}

// The package's own stack guard, in place of the compiler's (which imports functions that
// Windows forwards to a DLL it may take from the package's folder): filled before main, and
// a smashed stack ends the process at once, never with an exit code that reads as a result.
TEST(StackGuard, IsFilledBeforeMainAndASmashedStackEndsTheProcessAtOnce) {
  struct Row {
    const wchar_t* argument;
    DWORD exit_code;
  };
  for (const Row& row : {Row{L"guard", 1}, Row{L"smash", static_cast<DWORD>(STATUS_STACK_BUFFER_OVERRUN)}}) {
    const ProcessHandle process = StartFixture(row.argument);
    ASSERT_TRUE(process);
    ASSERT_EQ(WaitForSingleObject(process.Get(), 20'000), WAIT_OBJECT_0) << Utf8(row.argument);
    DWORD exit_code = 0;
    GetExitCodeProcess(process.Get(), &exit_code);
    EXPECT_EQ(exit_code, row.exit_code) << Utf8(row.argument);
  }
}

TEST(RunTimeErrorBox, ShowsTheErrorAndEndsWithExitCodeOne) {
  const ProcessHandle process = StartFixture(L"error");
  ASSERT_TRUE(process);

  HWND box = nullptr;
  const std::wstring title = Wide(kErrorTitle);
  for (int tries = 0; tries < 200 && box == nullptr; ++tries) {
    box = FindWindowW(L"#32770", title.c_str());
    if (box == nullptr) Sleep(50);
  }
  ASSERT_NE(box, nullptr) << "no error box";
  wchar_t text[512] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 512);  // the message box's text control
  const std::string shown = Utf8(text);
  EXPECT_NE(shown.find("Run-time error 13: Type mismatch"), std::string::npos) << shown;
  EXPECT_NE(shown.find("app_Revision"), std::string::npos) << shown;
  PostMessageW(box, WM_COMMAND, IDOK, 0);

  ASSERT_EQ(WaitForSingleObject(process.Get(), 10'000), WAIT_OBJECT_0);
  DWORD exit_code = 0;
  GetExitCodeProcess(process.Get(), &exit_code);
  EXPECT_EQ(exit_code, 1u);
}

// The fixture's run-time error box, closed with OK: its text; empty when none came.
std::string ErrorBoxText() {
  const std::wstring title = Wide(kErrorTitle);
  for (int tries = 0; tries < 200; ++tries, Sleep(50)) {
    const HWND box = FindWindowW(L"#32770", title.c_str());
    if (box == nullptr) continue;
    wchar_t text[512] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 512);  // the message box's text control
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return Utf8(text);
  }
  return {};
}

class RunTimeErrorLog : public TempFolderTest {};

// Where the failure was met is for the administrator who reads the log, by its path in the
// sources (never the build machine's); the box keeps to the user's words.
TEST_F(RunTimeErrorLog, NotesWhereTheFailureWasMetAndTheBoxDoesNot) {
  const std::string log = Path("setup.log");
  const ProcessHandle process = StartFixture((L"failed-call " + Wide(log)).c_str());
  ASSERT_TRUE(process);
  const std::string shown = ErrorBoxText();
  ASSERT_FALSE(shown.empty()) << "no error box";
  EXPECT_NE(shown.find("Run-time error 76: Path not found"), std::string::npos) << shown;
  EXPECT_NE(shown.find("Setup.LST (Windows error 3"), std::string::npos) << shown;
  EXPECT_EQ(shown.find("fixture_main.cpp"), std::string::npos) << shown;
  ASSERT_EQ(WaitForSingleObject(process.Get(), 10'000), WAIT_OBJECT_0);
  const std::vector<std::uint8_t> bytes = Contents(log);
  const std::string written(bytes.begin(), bytes.end());
  const std::size_t line = written.find("Run-time error 76");
  ASSERT_NE(line, std::string::npos) << written;
  const std::string noted = written.substr(line, written.find('\r', line) - line);
  EXPECT_NE(noted.find("Setup.LST (Windows error 3"), std::string::npos) << noted;
  EXPECT_NE(noted.find(" | at tests/win32/fixture/fixture_main.cpp:"), std::string::npos) << noted;
}

}  // namespace
}  // namespace hdgr::win32::testing
