#include "flows/layout_run.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "package/segment_table.h"
#include "package/sha256.h"
#include "package/work_folder.h"
#include "tools/hdgr-pack/carrier_bitmap.h"

namespace hdgr::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A carrier bitmap of the build's size whose segments hold known files, with their digests.
struct Package {
  std::array<Bytes, kSegments.size()> files;
  Bytes carrier = BlankCarrier(kCarrierHeight, nullptr);
  PayloadDigests digests;
};

const Package& SharedPackage() {
  static const Package package = [] {
    Package built;
    std::mt19937 generator(28);
    for (int segment = 0; segment < static_cast<int>(kSegments.size()); ++segment) {
      Bytes& file = built.files[segment];
      file.resize(static_cast<std::size_t>(kSegments[segment].length));
      for (auto& byte : file) byte = static_cast<std::uint8_t>(generator());
      // The file's first byte at the segment's highest 1-based position.
      const std::size_t high = static_cast<std::size_t>(SegmentStart(segment, kCarrierLength)) - 1;
      for (std::size_t j = 0; j < file.size(); ++j) built.carrier[high - j] = file[j];
      built.digests[segment] = Sha256Of(file);
    }
    return built;
  }();
  return package;
}

const std::string kLayout = "D:\\deploy\\Halden Grid 3.4";

std::string LaidOut(int segment) { return kLayout + "\\" + std::string(kSegments[segment].file_name); }

struct LayoutRun {
  LayoutRun() { fake.folders.insert("d:"); }
  // The run's end as the program meets it: nothing, or the run-time error it stops with.
  std::optional<RunTimeError> Run(const Bytes& carrier = SharedPackage().carrier) {
    try {
      PerformLayout(fake, carrier, SharedPackage().digests, kLayout, digest);
    } catch (const RunTimeError& error) {
      return error;
    }
    return std::nullopt;
  }
  bool WroteAnything() const {
    for (const auto& [path, file] : fake.files)
      if (path.rfind("d:\\deploy", 0) == 0) return true;
    return false;
  }
  FakePlatform fake;
  Sha256Worker digest;
};

// The three installer files, each whole over whatever held its name, in a folder made on
// the way; the work folder, the settings and the installer are never touched.
TEST(LayoutRunTest, WritesTheInstallerFilesWholeIntoTheFolderItMakes) {
  for (const bool folder_there : {false, true}) {
    SCOPED_TRACE(folder_there ? "folder there, an older layout in it" : "no folder");
    LayoutRun run;
    if (folder_there) {
      run.fake.folders.insert("d:\\deploy");
      run.fake.folders.insert("d:\\deploy\\halden grid 3.4");
      run.fake.PutFile(LaidOut(0), Bytes(400'000, 0x5A));  // longer than the new one
      run.fake.PutFile(LaidOut(2), Bytes(10, 0x5A));
    }
    ASSERT_EQ(run.Run(), std::nullopt);
    for (int segment = 0; segment < kInstallSegmentCount; ++segment) {
      const FakeFile* file = run.fake.File(LaidOut(segment));
      ASSERT_NE(file, nullptr) << LaidOut(segment);
      EXPECT_TRUE(file->bytes == SharedPackage().files[segment]) << LaidOut(segment);
    }
    EXPECT_EQ(run.fake.File(kLayout + "\\HaldenGrid.exe"), nullptr) << "the product's program is no installer file";
    const std::vector<std::string> opened = run.fake.CallsStartingWith("OpenNewFile(");
    ASSERT_FALSE(opened.empty());
    const std::ptrdiff_t held = run.fake.IndexOf("HoldOutputFolder(" + kLayout + ")");
    EXPECT_TRUE(held >= 0 && held < run.fake.IndexOf(opened.front())) << "written into the held folder";
    EXPECT_FALSE(run.fake.HasFolder(std::string(kWorkFolder)));
    EXPECT_TRUE(run.fake.settings.empty());
    for (const std::string& call : run.fake.calls) {
      EXPECT_EQ(call.find("StartProgram"), std::string::npos) << call;
      EXPECT_EQ(call.find("hdgr_temp_setup"), std::string::npos) << call;
    }
    EXPECT_TRUE(run.fake.HasCall("ReleaseFiles"));
  }
}

// A package changed since its build, a link or a file on the way, or a write that fails:
// a path/file access error (or the write's own), and no file of the layout is put in
// place, not even those written before; a changed package is refused before the folder
// is even made.
TEST(LayoutRunTest, RefusesAChangedPackageALinkOrAFileOnTheWayAndLeavesNoPartialFile) {
  Bytes changed = SharedPackage().carrier;
  changed[static_cast<std::size_t>(SegmentStart(1, kCarrierLength)) - 10] ^= 0x01;  // in HaldenGrid.CAB
  Bytes short_carrier(SharedPackage().carrier.begin(), SharedPackage().carrier.begin() + 1000);
  const struct {
    const char* name;
    std::function<void(FakePlatform&)> prepare;
    const Bytes* carrier;
    ErrorNumber number;
    const char* says;
  } rows[] = {
      {"a changed file", [](FakePlatform&) {}, &changed, ErrorNumber::kPathFileAccessError,
       "its HaldenGrid.CAB is not the file it was built with"},
      {"a carrier too short", [](FakePlatform&) {}, &short_carrier, ErrorNumber::kPathFileAccessError,
       "The package cannot be read"},
      {"a link on the way",
       [](FakePlatform& fake) {
         fake.folders.insert("d:\\deploy");
         fake.untrusted_folders.insert("d:\\deploy");
       },
       nullptr, ErrorNumber::kPathFileAccessError, "is a link or a file"},
      {"a file where the folder belongs", [](FakePlatform& fake) { fake.PutFile("d:\\deploy", Bytes(5, 1)); },
       nullptr, ErrorNumber::kPathFileAccessError, "is a link or a file"},
      {"a full disk at the second file",
       [](FakePlatform& fake) { fake.Fail(Op::kWriteRecords, "HaldenGrid.CAB", ErrorNumber::kDiskFull); }, nullptr,
       ErrorNumber::kDiskFull, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    LayoutRun run;
    row.prepare(run.fake);
    const std::optional<RunTimeError> error = row.carrier ? run.Run(*row.carrier) : run.Run();
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->Number(), row.number);
    EXPECT_NE(error->Detail().find(row.says), std::string::npos) << error->Detail();
    for (int segment = 0; segment < kInstallSegmentCount; ++segment)
      EXPECT_EQ(run.fake.WrittenFile(LaidOut(segment)), nullptr) << LaidOut(segment);
    if (row.carrier) {
      EXPECT_FALSE(run.WroteAnything()) << "the package is checked first";
    }
  }
}

// The folder an administrator names: a full path the system resolves, never a relative
// one, a device path, a pattern, a root or the setup's own work folder.
TEST(LayoutRunTest, TakesOnlyAFullPathOfAFolderOutsideTheWorkFolder) {
  const struct {
    const char* given;
    const char* folder;  // nullptr: refused
    const char* why;
  } rows[] = {
      {"C:\\Deploy\\HG\\", "C:\\Deploy\\HG", ""},
      {"c:\\deploy\\.\\x\\..\\hg", "c:\\deploy\\hg", ""},
      {"\\\\?\\C:\\Deploy", "C:\\Deploy", ""},
      {"\\\\server\\share\\hg", "\\\\server\\share\\hg", ""},
      {"\\\\?\\UNC\\server\\share\\hg", "\\\\server\\share\\hg", ""},
      {"c:\\hdgr_temp_setup_2", "c:\\hdgr_temp_setup_2", ""},
      {"hg", nullptr, "no full path"},
      {"C:hg", nullptr, "no full path"},
      {"\\hg", nullptr, "no full path"},
      {"\\\\.\\C:\\hg", nullptr, "no full path"},
      {"C:\\h?", nullptr, "no full path"},
      {"D:\\", nullptr, "root"},
      {"\\\\server\\share\\", nullptr, "root"},
      {"C:\\HDGR_TEMP_SETUP", nullptr, "work folder"},
      {"c:\\hdgr_temp_setup\\layout", nullptr, "work folder"},
      {"c:\\other\\..\\hdgr_temp_setup. ", nullptr, "work folder"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.given);
    std::string why;
    const std::optional<std::string> folder = LayoutFolderOf(row.given, &why);
    if (row.folder) {
      EXPECT_EQ(folder, std::optional<std::string>(row.folder));
    } else {
      EXPECT_EQ(folder, std::nullopt);
      EXPECT_NE(why.find(row.why), std::string::npos) << why;
    }
  }
}

}  // namespace
}  // namespace hdgr::testing
