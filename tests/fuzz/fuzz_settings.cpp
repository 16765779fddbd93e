// The product's settings through the version check: a stored text reads as a version or
// fails with type mismatch (13) or overflow (6) naming its setting; whatever folder is stored,
// the check then decides a mode without any error.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

#include "fake_platform.h"
#include "fuzz_contract.h"
#include "installed/product_settings.h"
#include "installed/version_check.h"
#include "platform/path_text.h"

using hdgr::ErrorNumber;
using hdgr::fuzz::OnlyErrors;

namespace {

constexpr const char* kKeys[] = {"app_path", "app_Major", "app_Minor", "app_Revision"};

bool NotedAMode(const hdgr::testing::FakePlatform& fake) {
  return std::any_of(fake.notes.begin(), fake.notes.end(),
                     [](const std::string& note) { return note.rfind("mode ", 0) == 0; });
}

bool LookedUp(const hdgr::testing::FakePlatform& fake) {
  return std::any_of(fake.calls.begin(), fake.calls.end(),
                     [](const std::string& call) { return call.rfind("FindEntry(", 0) == 0; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  hdgr::testing::FakePlatform fake;
  for (const char* key : kKeys)
    if (input.ConsumeBool())
      fake.settings["HaldenGrid\\applicationSettings\\" + std::string(key)] = input.ConsumeRandomLengthString(64);
  const bool program_there = input.ConsumeBool();
  const auto path = fake.settings.find("HaldenGrid\\applicationSettings\\app_path");
  if (program_there && path != fake.settings.end()) fake.PutFile(path->second + "\\HaldenGrid.exe", {1});

  hdgr::InstalledCopy installed;
  try {
    hdgr::ReadInstalledCopy(fake, installed);
  } catch (const hdgr::RunTimeError& error) {
    HDGR_FUZZ_REQUIRE(error.Number() == ErrorNumber::kTypeMismatch || error.Number() == ErrorNumber::kOverflow);
    HDGR_FUZZ_REQUIRE(error.Detail().rfind("Setting app_", 0) == 0);
    return 0;
  }
  HDGR_FUZZ_REQUIRE(installed.folder == (path == fake.settings.end() ? "" : path->second));
  OnlyErrors({}, [&] { hdgr::CheckInstalledVersion(fake, fake, installed); });
  HDGR_FUZZ_REQUIRE(NotedAMode(fake));
  // Only a folder that can name an installed copy is ever looked up.
  const bool can_name = hdgr::IsFullPath(installed.folder) && !hdgr::HasWildcard(installed.folder);
  HDGR_FUZZ_REQUIRE(LookedUp(fake) == can_name);
  return 0;
}
