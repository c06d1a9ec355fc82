// Connects a panel's file commands to the diagram file writer and reader.
#pragma once

class TOOAPanel;

// After this, "-> Save Diagram ", "-> Save Diagram As" and "-> Load Diagram " write and read
// diagram files.
void InstallDiagramFiles(TOOAPanel& panel);
