#include "editor_panel.h"

#include "database_import.h"
#include "diagram_clipboard.h"
#include "diagram_files.h"
#include "model_documentation.h"
#include "ooa_panel.h"
#include "schema_import.h"
#include "sql_export.h"

void SetUpEditorPanel(TOOAPanel& panel) {
  panel.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
  panel.SetEntityPopList({"Add New Property"});
  InstallDiagramFiles(panel);
  InstallSchemaImport(panel);
  InstallDatabaseImport(panel);
  InstallSqlExport(panel);
  InstallDocumentationExport(panel);
  InstallClipboard(panel);
}
