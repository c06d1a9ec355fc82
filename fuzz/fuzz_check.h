// What a harness does when a property it checks does not hold: it says which, shows where the two
// texts part, and aborts, so that libFuzzer keeps the input as a crash.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>

// Prints the property and, when two texts are given, the first line on which they differ.
[[noreturn]] inline void FailCheck(const char* property, std::string_view expected = {}, std::string_view actual = {}) {
  std::fprintf(stderr, "\n*** property broken: %s\n", property);
  size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
  if (at < expected.size() || at < actual.size()) {
    const size_t lineStart = expected.substr(0, at).rfind('\n');
    const size_t from = lineStart == std::string_view::npos ? 0 : lineStart + 1;
    const std::string_view a = expected.substr(std::min(from, expected.size()), 400);
    const std::string_view b = actual.substr(std::min(from, actual.size()), 400);
    std::fprintf(stderr, "first difference at byte %zu\n--- expected\n%.*s\n--- actual\n%.*s\n", at,
                 static_cast<int>(a.size()), a.data(), static_cast<int>(b.size()), b.data());
  }
  std::abort();
}

#define FUZZ_CHECK(condition)                \
  do {                                       \
    if (!(condition)) FailCheck(#condition); \
  } while (false)
