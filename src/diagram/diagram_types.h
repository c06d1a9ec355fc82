// The small value types shared by the diagram objects.
#pragma once

#include <string>

enum TEntityType { Et_Organization, Et_Form, Et_Data, Et_Concept };

// The kind as spelled in the diagram file and in messages.
const char* EntityTypeName(TEntityType type);

enum TPropertyDataType { pdtVachar, pdtInteger, pdtDouble, pdtBool, pdtBinary };

// The three anchor points of a row or box, in panel coordinates, all at its middle height.
struct TAnchorPoints {
  int RightX = 0;
  int LeftX = 0;
  int CentreX = 0;
  int Y = 0;
};
