// Path rules: any text is judged without reading outside it, and the long-path prefix never
// changes the verdict on a drive path.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_contract.h"
#include "platform/path_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view path(reinterpret_cast<const char*>(data), size);
  const bool full = hdgr::IsFullPath(path);
  const bool wildcard = hdgr::HasWildcard(path);
  if (full) HDGR_FUZZ_REQUIRE(path.size() >= 3);
  const std::string prefixed = "\\\\?\\" + std::string(path);
  const bool already_prefixed = path.rfind("\\\\?\\", 0) == 0;
  if (!already_prefixed) HDGR_FUZZ_REQUIRE(hdgr::HasWildcard(prefixed) == wildcard);
  // Behind the prefix only drive paths and UNC\ shares stay full.
  if (hdgr::IsFullPath(prefixed) && path.size() > 1 && path[1] == ':') HDGR_FUZZ_REQUIRE(full);
  return 0;
}
