#include "tools/hdgr-pack/file_io.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <string>
#include <system_error>
#include <utility>

#include "tools/hdgr-pack/pack_error.h"

namespace hdgr {
namespace fs = std::filesystem;
namespace {

fs::path TemporaryNameNextTo(const fs::path& target) {
  std::random_device entropy;
  const auto tag = std::to_string(std::uniform_int_distribution<std::uint32_t>{}(entropy));
  fs::path temporary = target;
  temporary += ".tmp-" + tag;
  return temporary;
}

}  // namespace

std::vector<std::uint8_t> ReadWholeFile(const fs::path& path) {
  std::error_code error;
  const auto status = fs::status(path, error);
  if (!fs::exists(status)) throw PackError(path.string() + ": no such file");
  if (fs::is_directory(status)) throw PackError(path.string() + ": is a folder, not a file");
  const auto length = fs::file_size(path, error);
  std::ifstream in(path, std::ios::binary);
  if (error || !in) throw PackError(path.string() + ": cannot open it");
  std::vector<std::uint8_t> bytes(length);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!in || in.peek() != std::ifstream::traits_type::eof())
    throw PackError(path.string() + ": reading it failed (did it change while being read?)");
  return bytes;
}

StagedFile::StagedFile(fs::path target, std::span<const std::uint8_t> bytes)
    : target_(std::move(target)), temporary_(TemporaryNameNextTo(target_)) {
  std::ofstream out(temporary_, std::ios::binary | std::ios::trunc);
  if (!out) {
    temporary_.clear();  // nothing was created
    throw PackError(target_.string() + ": cannot write it (is its folder missing or read-only?)");
  }
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw PackError(target_.string() + ": writing it failed (is the disk full?)");
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : target_(std::move(other.target_)), temporary_(std::exchange(other.temporary_, {})) {}

StagedFile::~StagedFile() {
  if (temporary_.empty()) return;
  std::error_code ignored;  // cleaning up after a failure already being reported
  fs::remove(temporary_, ignored);
}

void StagedFile::Commit() {
  std::error_code error;
  fs::rename(temporary_, target_, error);
  if (error) throw PackError(target_.string() + ": cannot put it in place: " + error.message());
  temporary_.clear();
}

void WriteFileAtomically(const fs::path& path, std::span<const std::uint8_t> bytes) {
  StagedFile(path, bytes).Commit();
}

bool FileHolds(const fs::path& path, std::span<const std::uint8_t> bytes) {
  std::error_code error;
  if (!fs::is_regular_file(path, error) || fs::file_size(path, error) != bytes.size() || error) return false;
  std::ifstream in(path, std::ios::binary);
  std::vector<char> existing(bytes.size());
  in.read(existing.data(), static_cast<std::streamsize>(existing.size()));
  return in && std::equal(existing.begin(), existing.end(), bytes.begin(),
                          [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

}  // namespace hdgr
