#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/win32/base/unique_handle.h"
#include "platform/win32/base/wide_text.h"
#include "win32_test_support.h"

namespace hdgr::win32::testing {
namespace {

// A handle whose closes are counted, and whose close leaves a last error of its own, as a
// failing CloseHandle would.
std::vector<int> closed;
struct CountedTraits {
  using Handle = int;
  static Handle Invalid() { return -1; }
  static void Close(Handle handle) {
    closed.push_back(handle);
    SetLastError(ERROR_INVALID_HANDLE);
  }
};
using Counted = UniqueHandle<CountedTraits>;

TEST(UniqueHandle, ClosesWhatItHoldsOnceWhereverItWasMoved) {
  closed.clear();
  {
    Counted first(1);
    Counted second(std::move(first));
    EXPECT_FALSE(first.Valid());
    EXPECT_EQ(second.Get(), 1);
    Counted third(3);
    third = std::move(second);  // 3 goes now; 1 with `third`
    EXPECT_EQ(closed, std::vector<int>{3});
    EXPECT_FALSE(second);
  }
  EXPECT_EQ(closed, (std::vector<int>{3, 1}));
}

TEST(UniqueHandle, ReleaseHandsOverReceiveAndResetCloseFirst) {
  closed.clear();
  {
    Counted released(1);
    EXPECT_EQ(released.Release(), 1);
    EXPECT_FALSE(released);

    Counted received(2);
    int* out = received.Receive();  // as an opening call's out-parameter
    EXPECT_EQ(closed, std::vector<int>{2});
    EXPECT_FALSE(received);
    *out = 4;
    EXPECT_EQ(received.Get(), 4);

    Counted reset(5);
    reset.Reset(6);
    reset.Reset(7);
    EXPECT_EQ(closed, (std::vector<int>{2, 5, 6}));
    reset.Reset();
    EXPECT_FALSE(reset);
  }
  EXPECT_EQ(closed, (std::vector<int>{2, 5, 6, 7, 4}));  // never 1: the caller has it
}

// A caller reads GetLastError() right after the call whose handle it hands to Reset
// (CreateMutexW's ERROR_ALREADY_EXISTS, one setup at a time), past the close of the old one.
TEST(UniqueHandle, TheLastErrorOutlivesTheClose) {
  Counted held(1);
  SetLastError(ERROR_ALREADY_EXISTS);
  held.Reset(2);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  SetLastError(ERROR_FILE_EXISTS);
  held.Reset();
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
}

class FileHandleTest : public TempFolderTest {
 protected:
  // The file opened shared with nobody: while any handle holds it, no other open succeeds.
  FileHandle OpenAlone() const {
    return FileHandle(CreateFileW(Wide(Path("held.bin")).c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  }
  bool StillHeld() const { return !OpenAlone(); }
};

TEST_F(FileHandleTest, NeitherNullNorInvalidHandleValueIsAFile) {
  EXPECT_FALSE(FileHandle().Valid());
  EXPECT_FALSE(FileHandle(INVALID_HANDLE_VALUE).Valid());
  EXPECT_FALSE(FileHandle(nullptr).Valid());
  EXPECT_FALSE(FileHandle(nullptr));
  const FileHandle file = OpenAlone();
  EXPECT_TRUE(file.Valid());
}

// The same file object for every user, closed as the last one lets go.
TEST_F(FileHandleTest, ASharedFileHandleClosesWithItsLastUser) {
  SharedFileHandle first = std::make_shared<const FileHandle>(OpenAlone());
  ASSERT_TRUE(*first);
  SharedFileHandle second = first;
  first.reset();
  EXPECT_TRUE(StillHeld());
  EXPECT_TRUE((*second).Valid());
  second.reset();
  EXPECT_FALSE(StillHeld());
}

TEST_F(FileHandleTest, AReleasedHandleStaysOpenAndAMovedOneClosesOnce) {
  HANDLE raw = nullptr;
  {
    FileHandle file = OpenAlone();
    ASSERT_TRUE(file);
    FileHandle moved(std::move(file));
    raw = moved.Release();
  }
  EXPECT_TRUE(StillHeld());
  EXPECT_TRUE(CloseHandle(raw));
  EXPECT_FALSE(StillHeld());
}

}  // namespace
}  // namespace hdgr::win32::testing
