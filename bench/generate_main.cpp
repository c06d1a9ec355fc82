// Writes a generated diagram file for timing the command line by hand or from scripts/bench.sh:
//   quorvane_generate N FILE      writes the diagram of N entities to FILE.ERD
#include <exception>
#include <iostream>
#include <string>

#include "generated_diagram.h"
#include "text.h"

int main(int argc, char** argv) {
  int entities = 0;
  if (argc != 3 || !TryTextToInt(argv[1], entities) || entities < 1) {
    std::cerr << "usage: quorvane_generate N FILE\n";
    return 2;
  }
  try {
    std::cout << WriteGeneratedDiagram(entities, argv[2]) << '\n';
  } catch (const std::exception& error) {
    std::cerr << "quorvane_generate: " << error.what() << '\n';
    return 1;
  }
  return 0;
}
