// The images of a diagram's objects: plain values of everything an edit can change in them, each
// taken and given back by the object it images (Image, Restore), so that the edit history keeps its
// steps without reaching into any object. Images are values, never pointers: rows and boxes are
// known by their numbers (Id), entities by their serials, so that an object made again by an undo is
// linked again to what it was linked to.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "color.h"
#include "diagram_types.h"
#include "geometry.h"
#include "placement.h"

class Control;

// Where an object stands and whether it shows: what a page showing sets in every object.
struct TPlaceImage {
  TRect Bounds;
  bool Visible = true;
  friend bool operator==(const TPlaceImage&, const TPlaceImage&) = default;
};

TPlaceImage PlaceOf(const Control& control);
void SetPlace(Control& control, const TPlaceImage& place);

// What rows and boxes alike keep: their number, name, text, place and look.
struct TPartImage {
  long long Id = 0;
  std::string Name;
  std::string Desc;
  TPlaceImage Place;
  TColor Color = 0;
  friend bool operator==(const TPartImage&, const TPartImage&) = default;
};

// What rows and boxes alike take and give back: their number and text (each kind keeps its own),
// name, place and colour.
void CapturePart(const Control& part, long long id, const std::string& desc, TPartImage& image);
void RestorePart(Control& part, const TPartImage& image);

struct TRowImage : TPartImage {
  int RowIndex = 0;
  friend bool operator==(const TRowImage&, const TRowImage&) = default;
};

struct TPropertyImage : TRowImage {
  bool IsDisplay = true;
  int DisplaySlot = 0;
  TPropertyDataType DataType = pdtVachar;
  int DataSize = 0;
  int DataScale = 0;
  bool PrimaryKey = false;
  bool NotNull = false;
  friend bool operator==(const TPropertyImage&, const TPropertyImage&) = default;
};

struct TMethodImage : TRowImage {
  // The called row's number (0: no call) and the bracket's distance.
  long long Call = 0;
  int CallDistance = 0;
  friend bool operator==(const TMethodImage&, const TMethodImage&) = default;
};

// A link end: the entity's serial (-1: none) and the row's number (0: none).
struct TEndImage {
  long long Entity = -1;
  long long Row = 0;
  friend bool operator==(const TEndImage&, const TEndImage&) = default;
};

struct TBoxImage : TPartImage {
  int No = 0;
  TEntryList Entries;
  TEndImage Source;
  TEndImage Target;
  friend bool operator==(const TBoxImage&, const TBoxImage&) = default;
};

// What a page showing sets in an entity: its flags, the width its rows were last widened to, and
// the place of the entity and of each row and box, in that order (see TEntity::Placing).
struct TPlacing {
  bool ShowProperty = true;
  bool ShowMethod = true;
  int RowsWidth = -1;
  std::vector<TPlaceImage> Places;
  friend bool operator==(const TPlacing&, const TPlacing&) = default;
};

struct TEntityImage {
  long long Serial = 0;
  size_t Position = 0;  // in the panel's entity list
  std::string Name;
  std::string Desc;
  TEntityType Type = Et_Organization;
  int PropertyDefHeight = 0;
  int MethodDefHeight = 0;
  bool ShowProperty = true;
  bool ShowMethod = true;
  TEntryList Entries;
  TPlaceImage Place;
  TColor Color = 0;
  int RowsWidth = -1;
  // The selected members, by number (0: none).
  long long SelectedProperty = 0;
  long long SelectedMethod = 0;
  long long SelectedRelation = 0;
  long long SelectedEvent = 0;
  std::vector<TPropertyImage> Properties;
  std::vector<TMethodImage> Methods;
  std::vector<TBoxImage> Relations;
  std::vector<TBoxImage> Events;
  friend bool operator==(const TEntityImage&, const TEntityImage&) = default;

  // Writes a placing the entity gave (TEntity::Placing) into its image.
  void SetPlacing(const TPlacing& placing);
};

// The panel's own state an edit may change: its pages and the selected entity; for loading and
// closing a diagram also its name, folder and file.
struct TPanelImage {
  std::string ActivePage;
  TEntryList Pages;
  long long SelectedEntity = -1;
  // The rows selected in the selected entity: what its next command acts on.
  long long SelectedProperty = 0;
  long long SelectedMethod = 0;
  bool WithFile = false;
  std::string DiagramName;
  std::string DiagramFolder;
  std::string DiagramFile;
  friend bool operator==(const TPanelImage&, const TPanelImage&) = default;
};
