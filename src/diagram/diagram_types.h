// The small value types shared by the diagram objects.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "geometry.h"

enum TEntityType { Et_Organization, Et_Form, Et_Data, Et_Concept };

// The kind as spelled in the diagram file and in messages.
const char* EntityTypeName(TEntityType type);

enum TPropertyDataType { pdtVachar, pdtInteger, pdtDouble, pdtBool, pdtBinary };
constexpr int kPropertyDataTypeCount = pdtBinary + 1;

// The kind as the data type dialog shows it and the diagram file spells it ("Varchar", "Integer",
// "Double", "Bool", "Binary"); and the kind so spelled, exactly, or none.
const char* DataTypeName(TPropertyDataType type);
std::optional<TPropertyDataType> DataTypeByName(std::string_view name);
// The storage a property of the kind, size and scale takes: the size (Double: size + scale + 1;
// Bool: 5), held within the range of an int for sizes read from a file.
int PhysicalLengthOf(TPropertyDataType type, int size, int scale);

// The three anchor points of a row or box, in panel coordinates, all at its middle height.
struct TAnchorPoints {
  int RightX = 0;
  int LeftX = 0;
  int CentreX = 0;
  int Y = 0;
  friend bool operator==(const TAnchorPoints&, const TAnchorPoints&) = default;
};

// Where a relation or event line between a box and a member row runs: from the box's side facing
// the row (Box) to the row's side facing the box (Member), leaving and reaching each side 10 pixels
// straight out. Toward is -1 when the line runs to the left of the box, 1 to the right; there is no
// line while the two stand centre above centre.
struct TConnectorEnds {
  TPoint Box;
  TPoint Member;
  int Toward = 0;
};
std::optional<TConnectorEnds> ConnectorEnds(const TAnchorPoints& box, const TAnchorPoints& member);
