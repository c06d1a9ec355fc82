#include "diagram_types.h"

#include <algorithm>
#include <limits>

std::optional<TConnectorEnds> ConnectorEnds(const TAnchorPoints& box, const TAnchorPoints& member) {
  if (member.CentreX < box.CentreX) return TConnectorEnds{{box.LeftX, box.Y}, {member.RightX, member.Y}, -1};
  if (box.CentreX < member.CentreX) return TConnectorEnds{{box.RightX, box.Y}, {member.LeftX, member.Y}, 1};
  return std::nullopt;
}

const char* DataTypeName(TPropertyDataType type) {
  switch (type) {
    case pdtVachar: return "Varchar";
    case pdtInteger: return "Integer";
    case pdtDouble: return "Double";
    case pdtBool: return "Bool";
    case pdtBinary: return "Binary";
  }
  return "Varchar";
}

std::optional<TPropertyDataType> DataTypeByName(std::string_view name) {
  for (int kind = 0; kind < kPropertyDataTypeCount; ++kind)
    if (name == DataTypeName(static_cast<TPropertyDataType>(kind))) return static_cast<TPropertyDataType>(kind);
  return std::nullopt;
}

int PhysicalLengthOf(TPropertyDataType type, int size, int scale) {
  long long length = size;
  if (type == pdtDouble) length = static_cast<long long>(size) + scale + 1;
  if (type == pdtBool) length = 5;
  return static_cast<int>(
      std::clamp<long long>(length, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
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
