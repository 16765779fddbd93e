#pragma once
// What the fuzz targets share: a broken contract aborts, so libFuzzer keeps the input that
// broke it; only the run-time errors a function documents may leave it.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/run_time_error.h"

#define HDGR_FUZZ_REQUIRE(condition) ((condition) ? void() : ::hdgr::fuzz::Broken(#condition, __FILE__, __LINE__))

namespace hdgr::fuzz {

[[noreturn]] inline void Broken(const char* what, const char* file, int line) {
  std::fprintf(stderr, "contract broken at %s:%d: %s\n", file, line, what);
  std::abort();
}

// Runs `action`: true when it returns, false when it throws a RunTimeError numbered in
// `allowed`. Any other number aborts; any other exception escapes to libFuzzer.
template <typename Action>
bool OnlyErrors(std::initializer_list<ErrorNumber> allowed, Action&& action) {
  try {
    action();
    return true;
  } catch (const RunTimeError& error) {
    for (const ErrorNumber number : allowed)
      if (error.Number() == number) return false;
    std::fprintf(stderr, "undocumented error: %s\n", error.MessageText().c_str());
    std::abort();
  }
}

// The input split at each zero byte, as a command line's words reach the program.
inline std::vector<std::string> Words(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> words;
  if (size == 0) return words;
  words.emplace_back();
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) words.emplace_back();
    else words.back().push_back(static_cast<char>(data[i]));
  }
  return words;
}

}  // namespace hdgr::fuzz
