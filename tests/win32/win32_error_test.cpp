#include <windows.h>

#include <source_location>
#include <string>
#include <string_view>
#include <utility>

#include "platform/win32/base/wide_text.h"
#include "platform/win32/base/win32_error.h"
#include "platform/win32/files/file_error.h"
#include "win32_test_support.h"

namespace hdgr::win32::testing {
namespace {

// A stand-in for a Win32 call that fails with `code`, as the system's do.
BOOL Fails(DWORD code) {
  SetLastError(code);
  return FALSE;
}

std::string HereAfter(const std::source_location& here, int lines) {
  return "tests/win32/win32_error_test.cpp:" + std::to_string(here.line() + static_cast<unsigned>(lines));
}

// Text built on the call's line could be built after the call, by code that overwrites the
// last error on its way: such a text is refused at compile time, and built in a function.
template <typename What>
concept Named = requires(What what) { ThrowLastErrorIf(true, std::move(what)); };
static_assert(Named<const char*> && Named<std::string_view> && Named<std::string (*)()>);
static_assert(!Named<std::string> && !Named<std::wstring>);

TEST(ThrowLastErrorIf, ACallThatSucceededThrowsNothingAndBuildsNoText) {
  SetLastError(ERROR_ACCESS_DENIED);  // an earlier call's: this one did not fail
  bool built = false;
  const std::wstring path = L"c:\\hdgr_temp_setup\\Setup.exe";
  EXPECT_NO_THROW(ThrowLastErrorIf(false, "Setup.exe"));
  EXPECT_NO_THROW(ThrowLastErrorIf(false, path));
  EXPECT_NO_THROW(ThrowLastErrorIf(false, [&] {
    built = true;
    return std::string("Setup.exe");
  }));
  EXPECT_FALSE(built);
}

// The user reads the object's name and the system's words; the log also reads the line of
// the source that met it.
TEST(ThrowLastErrorIf, AFailedCallIsItsLastErrorNamingWhatFailedAndNotingWhere) {
  const std::wstring path = L"c:\\hdgr_temp_setup\\Setup.exe";
  struct Row {
    const char* name;
    RunTimeError error;
    ErrorNumber number;
    std::string detail;  // how it begins
    std::string where;
  };
  const auto thrown = [](const auto& call) -> RunTimeError {
    try {
      call();
    } catch (const RunTimeError& error) {
      return error;
    }
    return RunTimeError(ErrorNumber::kInternalError, "nothing thrown");
  };
  const std::source_location here = std::source_location::current();
  const Row rows[] = {
      {"fixed words", thrown([] { ThrowLastErrorIf(!Fails(ERROR_ACCESS_DENIED), "The process token"); }),
       ErrorNumber::kPermissionDenied, "The process token (Windows error 5", HereAfter(here, 2)},
      {"words built on failure, overwriting the last error on their way", thrown([] {
         ThrowLastErrorIf(!Fails(ERROR_FILE_NOT_FOUND), [] {
           SetLastError(ERROR_ACCESS_DENIED);
           return std::string("Setup.LST");
         });
       }),
       ErrorNumber::kFileNotFound, "Setup.LST (Windows error 2", HereAfter(here, 5)},
      {"a file, in the file errors' words", thrown([&] { ThrowLastErrorIf(!Fails(ERROR_SHARING_VIOLATION), path); }),
       ErrorNumber::kPermissionDenied, Utf8(path) + " is in use by another program", HereAfter(here, 11)},
      {"a file, in the system's words", thrown([&] { ThrowLastErrorIf(!Fails(ERROR_PATH_NOT_FOUND), path); }),
       ErrorNumber::kPathNotFound, Utf8(path) + " (Windows error 3", HereAfter(here, 13)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.error.Number(), row.number);
    EXPECT_EQ(row.error.Detail().rfind(row.detail, 0), 0u) << row.error.Detail();
    EXPECT_EQ(row.error.Where(), row.where);
    EXPECT_EQ(row.error.MessageText().find("win32_error_test"), std::string::npos) << "the user's words only";
  }
}

}  // namespace
}  // namespace hdgr::win32::testing
