#include "platform/path_text.h"

#include <algorithm>
#include <cctype>

namespace hdgr {

namespace {

constexpr std::string_view kLongPathPrefix = "\\\\?\\";
constexpr std::string_view kLongUncPrefix = "UNC\\";

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool StartsWithIgnoringCase(std::string_view text, std::string_view start) {
  if (text.size() < start.size()) return false;
  for (std::size_t i = 0; i < start.size(); ++i) {
    const char a = text[i] >= 'a' && text[i] <= 'z' ? static_cast<char>(text[i] - 'a' + 'A') : text[i];
    if (a != start[i]) return false;
  }
  return true;
}

bool IsDrivePath(std::string_view path) {
  return path.size() >= 3 && IsLetter(path[0]) && path[1] == ':' && IsSeparator(path[2]);
}

// "server\share" followed by the end or a separator: both names present, and the server no
// device namespace ("\\.\", "\\?\").
bool IsServerShare(std::string_view rest) {
  if (!rest.empty() && (rest[0] == '.' || rest[0] == '?')) return false;
  std::size_t at = 0;
  for (int part = 0; part < 2; ++part) {
    const std::size_t begin = at;
    while (at < rest.size() && !IsSeparator(rest[at])) ++at;
    if (at == begin) return false;
    if (part == 0) {
      if (at == rest.size()) return false;
      ++at;
    }
  }
  return true;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}

bool IsUncPath(std::string_view path) {
  return path.size() > 2 && IsSeparator(path[0]) && IsSeparator(path[1]) && IsServerShare(path.substr(2));
}

}  // namespace

bool IsFullPath(std::string_view path) {
  if (path.substr(0, kLongPathPrefix.size()) == kLongPathPrefix) {
    const std::string_view rest = path.substr(kLongPathPrefix.size());
    if (StartsWithIgnoringCase(rest, kLongUncPrefix)) return IsServerShare(rest.substr(kLongUncPrefix.size()));
    return IsDrivePath(rest);
  }
  return IsDrivePath(path) || IsUncPath(path);
}

std::string PlainFormOf(std::string_view path) {
  if (!IsFullPath(path)) return {};
  if (path.substr(0, kLongPathPrefix.size()) != kLongPathPrefix) return std::string(path);
  const std::string_view rest = path.substr(kLongPathPrefix.size());
  if (StartsWithIgnoringCase(rest, kLongUncPrefix)) return "\\\\" + std::string(rest.substr(kLongUncPrefix.size()));
  return std::string(rest);
}

std::vector<std::string> ResolvedNames(std::string_view path) {
  const std::string text = PlainFormOf(path);
  if (text.empty()) return {};
  const bool share = IsSeparator(text[0]);
  std::vector<std::string> names;
  std::string name;
  const auto finish = [&] {
    while (!name.empty() && (name.back() == ' ' || name.back() == '.') && name != "." && name != "..") name.pop_back();
    if (name == "..") {
      // Never above the drive or the share: the system stops there too.
      if (names.size() > (share ? 2u : 1u)) names.pop_back();
    } else if (!name.empty() && name != ".") {
      names.push_back(name);
    }
    name.clear();
  };
  for (const char c : text) {
    if (IsSeparator(c)) finish();
    else name += c;
  }
  finish();
  if (share) names[0] = "\\\\" + names[0];  // "\\server", then "share"
  return names;
}

bool LiesWithin(std::string_view path, std::string_view folder) {
  const std::vector<std::string> inside = ResolvedNames(path);
  const std::vector<std::string> outside = ResolvedNames(folder);
  if (inside.empty() || outside.empty() || inside.size() < outside.size()) return false;
  return std::equal(outside.begin(), outside.end(), inside.begin(), SameIgnoringCase);
}

std::string DriveLetterOf(std::string_view path) {
  const std::string plain = PlainFormOf(path);
  if (!IsDrivePath(plain)) return {};
  return {static_cast<char>(std::toupper(static_cast<unsigned char>(plain[0]))), ':'};
}

bool IsDriveRoot(std::string_view folder) {
  const std::vector<std::string> names = ResolvedNames(folder);
  return names.size() == 1 && names[0].size() == 2 && names[0][1] == ':';
}

bool HasWildcard(std::string_view path) {
  if (path.substr(0, kLongPathPrefix.size()) == kLongPathPrefix) path.remove_prefix(kLongPathPrefix.size());
  return path.find_first_of("*?") != std::string_view::npos;
}

bool IsFreshNameOf(std::string_view entry, std::string_view name) {
  constexpr std::size_t kHexDigits = 16;
  constexpr std::string_view kEnding = ".new";
  if (entry.size() != name.size() + 1 + kHexDigits + kEnding.size()) return false;
  if (!SameIgnoringCase(entry.substr(0, name.size()), name) || entry[name.size()] != '.') return false;
  const std::string_view hex = entry.substr(name.size() + 1, kHexDigits);
  const bool all_hex = std::all_of(hex.begin(), hex.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
  return all_hex && SameIgnoringCase(entry.substr(name.size() + 1 + kHexDigits), kEnding);
}

}  // namespace hdgr
