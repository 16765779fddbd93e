#include "package/payload_check.h"

#include <string>
#include <vector>

#include "platform/run_time_error.h"

namespace hdgr {

namespace {

[[noreturn]] void ThrowMismatch(std::string_view path) {
  throw RunTimeError(ErrorNumber::kPathFileAccessError,
                     std::string(path) + ": the written bytes do not match the package");
}

}  // namespace

void VerifyNewFile(ApplicationServices& app, std::string_view final_path, std::int32_t length,
                   const Sha256Digest& written, const Sha256Digest& expected) {
  if (app.NewFileLength(final_path) != length || written != expected) ThrowMismatch(final_path);
}

void VerifyHeldFile(ApplicationServices& app, std::string_view path, std::int32_t length,
                    const Sha256Digest& expected) {
  if (app.FileLength(path) != length) ThrowMismatch(path);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
  app.ReadHeldFile(path, bytes);
  if (Sha256Of(bytes) != expected) ThrowMismatch(path);
}

}  // namespace hdgr
