#include "schema_scrambler.h"

#include <stdexcept>

std::string ScrambleSchemaText(std::string_view plain, std::string_view key, int seed, bool lowerCase) {
  const char* digits = lowerCase ? "0123456789abcdef" : "0123456789ABCDEF";
  std::string line;
  auto appendPair = [&](int value) {
    line += digits[(value >> 4) & 0xF];
    line += digits[value & 0xF];
  };
  appendPair(seed);
  int prev = seed & 0xFF;
  size_t keyIndex = 0;
  for (const char c : plain) {
    const int code = static_cast<unsigned char>(c);
    // Reading gives t - prev when prev < t and t - prev + 255 otherwise; pick the t that gives code.
    int t = prev + code;
    if (code == 0 || t > 255) t -= 255;
    if (t < 0) throw std::invalid_argument("a zero byte cannot follow this pair");
    const int cur = t ^ static_cast<unsigned char>(key[keyIndex]);
    keyIndex = (keyIndex + 1) % key.size();
    appendPair(cur);
    prev = cur;
  }
  return line;
}
