// The rows of an entity as text, one line a row, and such a text read back and applied to the
// entity as one edit: properties as "Name : Type(size,scale) key not null", methods as "Name()".
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "diagram_types.h"
#include "platform.h"

class TEntity;

// One line of the text: a method row (its description alone) or a property row with its data type.
// Size and scale hold what the line gives, 0 where it gives nothing; a kind uses only some of them
// (UsesSize, UsesScale).
struct TRowLine {
  bool Method = false;
  std::string Desc;
  TPropertyDataType DataType = pdtVachar;
  int DataSize = 0;
  int DataScale = 0;
  bool PrimaryKey = false;
  bool NotNull = false;
  friend bool operator==(const TRowLine&, const TRowLine&) = default;
};

// Whether the kind's size, and its scale, mean anything: the physical length is worked out from them.
bool UsesSize(TPropertyDataType type);
bool UsesScale(TPropertyDataType type);

// What a text reads as: its rows in the order of their lines, or, per line that cannot be read, its
// number and what is wrong with it. Blank lines are no rows.
struct TRowsText {
  std::vector<TRowLine> Rows;
  std::vector<TTextProblem> Problems;
};

// The line of one row. A description that the line could not give back as it is (empty, with blanks
// or control characters at either end, a line break in it, a leading quote) is quoted, with \", \\,
// \n, \r and \t inside the quotes.
std::string RowLineText(const TRowLine& row);
// Every row of the entity, properties first, one line each, each line ended by "\n".
std::string RowsTextOf(const TEntity& entity);
// Lines end with "\n", "\r\n" or "\r". Type names and the words after the type are matched ignoring
// letter case.
TRowsText ReadRowsText(std::string_view text);

// Makes the entity's rows those of the lines, in their order (see rows_text.cpp for which row each
// line keeps). False, and nothing touched, when the rows already are what the lines say.
bool ApplyRowLines(TEntity& entity, const std::vector<TRowLine>& lines);
