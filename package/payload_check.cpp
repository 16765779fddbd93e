#include "package/payload_check.h"

#include <string>

#include "platform/run_time_error.h"

namespace hdgr {

void VerifyWrittenFile(ApplicationServices& app, std::string_view path, const Sha256Digest& expected) {
  Sha256 digest;
  app.ReadFileInChunks(path, [&digest](std::span<const std::uint8_t> chunk) { digest.Update(chunk); });
  if (digest.Finish() != expected)
    throw RunTimeError(ErrorNumber::kPathFileAccessError,
                       std::string(path) + ": the written bytes do not match the package");
}

}  // namespace hdgr
