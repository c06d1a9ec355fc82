#include "diagram_types.h"

std::optional<TConnectorEnds> ConnectorEnds(const TAnchorPoints& box, const TAnchorPoints& member) {
  if (member.CentreX < box.CentreX) return TConnectorEnds{{box.LeftX, box.Y}, {member.RightX, member.Y}, -1};
  if (box.CentreX < member.CentreX) return TConnectorEnds{{box.RightX, box.Y}, {member.LeftX, member.Y}, 1};
  return std::nullopt;
}

const char* EntityTypeName(TEntityType type) {
  switch (type) {
    case Et_Organization: return "Organization";
    case Et_Form: return "Form";
    case Et_Data: return "Data";
    case Et_Concept: return "Concept";
  }
  return "Organization";
}
