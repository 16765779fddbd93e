#include "platform/log_text.h"

#include <cstdio>

namespace hdgr {

namespace {

bool IsControl(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code < 0x20 || code == 0x7f;
}

std::string Escaped(char c) {
  switch (c) {
    case '\r': return "\\r";
    case '\n': return "\\n";
    case '\t': return "\\t";
    default: break;
  }
  char hex[8];
  std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
  return hex;
}

}  // namespace

std::string QuotedForLog(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += "\"\"";
    else if (IsControl(c)) quoted += Escaped(c);
    else quoted += c;
  }
  return quoted + "\"";
}

std::string OneLogLine(std::string_view text) {
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      line += " | ";
    } else if (IsControl(c)) {
      line += Escaped(c);
    } else {
      line += c;
    }
  }
  return line;
}

}  // namespace hdgr
