#include "diagram_types.h"

const char* EntityTypeName(TEntityType type) {
  switch (type) {
    case Et_Organization: return "Organization";
    case Et_Form: return "Form";
    case Et_Data: return "Data";
    case Et_Concept: return "Concept";
  }
  return "Organization";
}
