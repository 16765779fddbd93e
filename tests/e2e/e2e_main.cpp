// The end-to-end tests change the current user's settings and drive C: under Wine they
// run only in a throw-away prefix (scripts/with-wine.sh sets WINEPREFIX).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  const bool under_wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  if (under_wine && std::getenv("WINEPREFIX") == nullptr) {
    std::fprintf(stderr, "Run the end-to-end tests inside scripts/with-wine.sh: they need a throw-away prefix.\n");
    return 1;
  }
  // Wine builds a process's view of the displays at its first device context. Built later,
  // while the setup under test has its windows up, it can loop for good rewriting the
  // display devices' registry keys; so the tests build theirs before any setup starts.
  ReleaseDC(nullptr, GetDC(nullptr));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
