// Path rules: any text is judged without reading outside it, the long-path prefix never
// changes the verdict on a drive path, and only a full path has a plain form.
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
  // A plain form exactly for a full path: full itself, without the prefix, its own plain
  // form; a drive path behind the prefix comes back as it was.
  const std::string plain = hdgr::PlainFormOf(path);
  HDGR_FUZZ_REQUIRE(plain.empty() != full);
  if (full) {
    HDGR_FUZZ_REQUIRE(hdgr::IsFullPath(plain) && plain.rfind("\\\\?\\", 0) != 0);
    HDGR_FUZZ_REQUIRE(hdgr::PlainFormOf(plain) == plain);
    HDGR_FUZZ_REQUIRE(hdgr::HasWildcard(plain) == wildcard);
  }
  if (!already_prefixed && path.size() > 1 && path[1] == ':' && full)
    HDGR_FUZZ_REQUIRE(hdgr::PlainFormOf(prefixed) == path);
  return 0;
}
