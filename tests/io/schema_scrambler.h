// Writes schema payloads the way the exporting tool does, so that tests can make schema files with
// any payload: the exact inverse of UnscrambleSchemaText.
#pragma once

#include <string>
#include <string_view>

// The scrambled line for the payload's bytes: the seed pair, then one pair per byte, in upper- or
// lower-case digits. Raises std::invalid_argument for a byte no pair can encode after the pair
// before it (a zero byte can only follow a pair worth 255).
std::string ScrambleSchemaText(std::string_view plain, std::string_view key, int seed = 0x3C,
                               bool lowerCase = false);
