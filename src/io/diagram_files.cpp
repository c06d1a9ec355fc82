#include "diagram_files.h"

#include "diagram_file_reader.h"
#include "diagram_file_writer.h"
#include "file_access.h"
#include "ooa_panel.h"

void InstallDiagramFiles(TOOAPanel& panel) {
  panel.FileHandlers.SaveDiagramFile = [](TOOAPanel& target, const std::string& fileName) {
    ::SaveDiagramFile(target, fileName);
  };
  panel.FileHandlers.WriteDiagramFile = [](TOOAPanel& target, const std::string& fileName) {
    ::WriteDiagramFile(target, fileName);
  };
  panel.FileHandlers.FileToWrite = [](const std::string& fileName) { return ExistingSpellingOf(fileName); };
  panel.FileHandlers.LoadDiagramFile = [](TOOAPanel& target, const std::string& fileName) {
    ::LoadDiagramFile(target, fileName);
  };
}
