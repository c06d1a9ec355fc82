// The diagrams every benchmark works on, generated from a fixed seed: N entities with 4 property
// rows and 2 method rows each, N/2 relations linking property rows and N/4 events linking method
// rows of entities chosen at random, on three pages, every object placed on two of them.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "quiet_platform.h"

class TOOAPanel;

// The pages of a generated diagram; the first is the active page after building.
extern const std::vector<std::string> kGeneratedPages;

// Builds the generated diagram of entityCount entities on an empty panel (2048 by 2048) and shows
// its first page. The same count always gives the same diagram.
void BuildGeneratedDiagram(TOOAPanel& panel, int entityCount);

// Writes the generated diagram of entityCount entities as a diagram file; fileName is taken as the
// diagram file writer takes it (".ERD" is put on). Returns the name written.
std::string WriteGeneratedDiagram(int entityCount, const std::string& fileName);

// A folder of the benchmark run's own for the files it writes (made at the first call; the
// benchmark removes it when done).
std::filesystem::path BenchFolder();
