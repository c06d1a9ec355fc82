#include "database_schema.h"

#include <algorithm>
#include <array>

#include "property.h"
#include "text.h"

namespace {
// The type's words in lower case, single blanks, without quotes; its first parenthesised arguments
// apart; whether brackets or ARRAY made it an array.
struct TTypeWords {
  std::string Words;
  std::vector<std::string> Arguments;
  bool Array = false;
};

TTypeWords SplitType(std::string_view type) {
  TTypeWords split;
  bool inArguments = false, argumentsTaken = false;
  std::string argument;
  for (const char c : type) {
    if (inArguments) {
      if (c == ')' || c == ',') {
        split.Arguments.push_back(Trim(argument));
        argument.clear();
        if (c == ')') inArguments = false, argumentsTaken = true;
      } else {
        argument += c;
      }
    } else if (c == '(' && !argumentsTaken) {
      inArguments = true;
    } else if (c == '[') {
      split.Array = true;
    } else if (c == '"' || c == '`' || c == ']' || c == '(' || c == ')') {
      // Quotes around a type's name, and the arguments of a second parenthesis, say nothing more.
    } else if (static_cast<unsigned char>(c) <= ' ') {
      if (!split.Words.empty() && split.Words.back() != ' ') split.Words += ' ';
    } else {
      split.Words += LowerAscii(c);
    }
  }
  while (!split.Words.empty() && split.Words.back() == ' ') split.Words.pop_back();
  if (split.Words.ends_with(" array")) split.Array = true;
  return split;
}

bool StartsWithWord(std::string_view words, std::string_view first) {
  return words.starts_with(first) && (words.size() == first.size() || words[first.size()] == ' ');
}

// The first of these that the words start with, as a whole word or words.
bool StartsWithAny(std::string_view words, std::initializer_list<std::string_view> firsts) {
  return std::any_of(firsts.begin(), firsts.end(), [&](std::string_view first) { return StartsWithWord(words, first); });
}

int SizeOf(const std::vector<std::string>& arguments, size_t at) {
  int size = 0;
  if (at >= arguments.size() || !TryTextToInt(arguments[at], size) || size < 0) return 0;
  return std::min(size, TProperty::MaxDataSize);
}
}  // namespace

TColumnKind ColumnKindOf(std::string_view type) {
  TTypeWords split = SplitType(type);
  std::string_view words = split.Words;
  if (words.starts_with("pg_catalog.")) words.remove_prefix(11);
  if (words.empty() || split.Array) return {pdtVachar, 0, 0, false};
  const auto size = [&](size_t at) { return SizeOf(split.Arguments, at); };
  if (StartsWithAny(words, {"character varying", "char varying", "national character varying", "national char varying",
                            "national character", "national char", "nvarchar", "nvarchar2", "varchar", "varchar2",
                            "character", "char", "nchar", "bpchar", "text", "tinytext", "mediumtext", "longtext",
                            "ntext", "clob", "nclob", "citext", "string"}))
    return {pdtVachar, size(0), 0, true};
  if (StartsWithAny(words, {"integer", "int", "int2", "int4", "int8", "smallint", "bigint", "tinyint", "mediumint",
                            "serial", "serial2", "serial4", "serial8", "smallserial", "bigserial", "unsigned",
                            "signed"}))
    return {pdtInteger, 0, 0, true};
  if (StartsWithAny(words, {"numeric", "decimal", "dec", "number", "fixed"}))
    return {pdtDouble, size(0), size(1), true};
  if (StartsWithAny(words, {"double precision", "double", "float", "float4", "float8", "real"}))
    return {pdtDouble, 0, 0, true};
  if (StartsWithAny(words, {"boolean", "bool"})) return {pdtBool, 0, 0, true};
  if (StartsWithAny(words, {"binary varying", "binary", "varbinary", "bytea", "blob", "tinyblob", "mediumblob",
                            "longblob", "long raw", "raw", "image", "bit varying", "varbit", "bit"}))
    return {pdtBinary, size(0), 0, true};
  return {pdtVachar, 0, 0, false};
}
