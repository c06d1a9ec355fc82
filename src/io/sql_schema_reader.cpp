// The reader of SQL scripts: a tokenizer in one pass over the bytes (comments, psql's backslash
// lines, MySQL's DELIMITER lines and COPY data dropped), the split into statements, and a reader of
// each statement over its tokens that keeps what bears on tables and passes over the rest.
#include "sql_schema_reader.h"

#include <algorithm>
#include <initializer_list>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "text.h"
#include "text_encoding.h"

namespace {
// Name: a quoted identifier ("x", `x`, [x]). End: a statement's end (";", or the delimiter a
// DELIMITER line chose), which is never part of a statement.
enum class TKind : unsigned char { Word, Name, String, Number, Punct, End };

struct TToken {
  std::string_view Text;  // as written, quotes included
  int Line;
  TKind Kind;
};

bool IsWordStart(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80; }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsWordChar(unsigned char c) { return IsWordStart(c) || IsDigit(c) || c == '$'; }

std::vector<TToken> Tokenize(std::string_view s) {
  std::vector<TToken> tokens;
  const size_t n = s.size();
  tokens.reserve(n / 6 + 16);  // about a token per six bytes in real scripts
  size_t i = 0;
  int line = 1;
  bool lineStart = true;
  std::string delimiter = ";";
  // MySQL reads a backslash in a string as an escape, PostgreSQL (since 9.1) and SQLite do not; a
  // script that shows MySQL's marks (backquotes, /*! comments, DELIMITER) is read MySQL's way.
  bool backslashEscapes = false;
  const auto newlineAt = [&](size_t k) { return s[k] == '\n' || (s[k] == '\r' && (k + 1 >= n || s[k + 1] != '\n')); };
  const auto skipTo = [&](size_t end) {
    for (; i < end; ++i)
      if (newlineAt(i)) ++line;
  };
  const auto skipLine = [&] {  // to the line's end, which the main loop then counts
    while (i < n && !newlineAt(i)) ++i;
  };
  const auto readQuoted = [&](char close, bool escapes) {
    for (++i; i < n;) {
      const char c = s[i];
      if (escapes && c == '\\' && i + 1 < n) {
        if (newlineAt(i + 1)) ++line;
        i += 2;
        continue;
      }
      if (newlineAt(i)) ++line;
      ++i;
      if (c == close) {
        if (i < n && s[i] == close) {  // a doubled quote stands for itself
          ++i;
          continue;
        }
        return;
      }
    }
  };
  // pg_dump's data: the rows after COPY ... FROM stdin; up to a line "\.".
  const auto skipCopyData = [&] {
    skipLine();
    while (i < n) {
      ++line;
      ++i;
      const size_t from = i;
      skipLine();
      const std::string_view row = s.substr(from, i - from);
      if (row == "\\." || row == "\\.\r") return;
    }
  };

  while (i < n) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (newlineAt(i)) {
      ++line;
      ++i;
      lineStart = true;
      continue;
    }
    if (c <= ' ') {
      ++i;
      continue;
    }
    const bool atLineStart = lineStart;
    lineStart = false;
    const size_t start = i;
    const int startLine = line;
    const auto push = [&](TKind kind) { tokens.push_back({s.substr(start, i - start), startLine, kind}); };
    if (delimiter != ";" && s.substr(i, delimiter.size()) == delimiter) {
      i += delimiter.size();
      push(TKind::End);
    } else if (atLineStart && (c == '\\' || c == '#')) {
      skipLine();  // a psql meta-command (\connect, \restrict) or a MySQL "#" comment
    } else if (atLineStart && n - i > 10 && SameText(s.substr(i, 9), "DELIMITER") &&
               (s[i + 9] == ' ' || s[i + 9] == '\t')) {
      i += 10;
      skipLine();
      const std::string_view chosen = TrimView(s.substr(start + 10, i - start - 10));
      delimiter = chosen.empty() ? ";" : std::string(chosen);
      backslashEscapes = true;
      tokens.push_back({{}, startLine, TKind::End});
    } else if (c == '-' && i + 1 < n && s[i + 1] == '-') {
      skipLine();
    } else if (c == '/' && i + 1 < n && s[i + 1] == '*') {
      // MySQL's /*!40101 ... */ is a comment too: what it holds is the server's business.
      if (i + 2 < n && s[i + 2] == '!') backslashEscapes = true;
      const size_t close = s.find("*/", i + 2);
      skipTo(close == std::string_view::npos ? n : close + 2);
    } else if (c == '\'') {
      readQuoted('\'', backslashEscapes);
      push(TKind::String);
    } else if ((c == 'E' || c == 'e') && i + 1 < n && s[i + 1] == '\'') {
      ++i;  // PostgreSQL's E'...' takes escapes
      readQuoted('\'', true);
      push(TKind::String);
    } else if (c == '"' || c == '`') {
      if (c == '`') backslashEscapes = true;
      readQuoted(static_cast<char>(c), c == '"' && backslashEscapes);
      push(TKind::Name);
    } else if (c == '[' && (i == 0 || !(IsWordChar(s[i - 1]) || s[i - 1] == ')' || s[i - 1] == ']'))) {
      readQuoted(']', false);  // SQLite's [name]; "integer[]" is PostgreSQL's array
      push(TKind::Name);
    } else if (c == '$' && i + 1 < n && !IsDigit(s[i + 1])) {
      size_t close = i + 1;
      while (close < n && IsWordChar(s[close]) && s[close] != '$') ++close;
      if (close < n && s[close] == '$') {  // $$...$$ or $tag$...$tag$
        const std::string_view tag = s.substr(i, close - i + 1);
        const size_t end = s.find(tag, close + 1);
        skipTo(end == std::string_view::npos ? n : end + tag.size());
        push(TKind::String);
      } else {
        ++i;
        push(TKind::Punct);
      }
    } else if (IsWordStart(c)) {
      while (i < n && IsWordChar(s[i])) ++i;
      push(TKind::Word);
    } else if (IsDigit(c)) {
      while (i < n && (IsWordChar(s[i]) || s[i] == '.')) ++i;
      push(TKind::Number);
    } else {
      ++i;
      push(c == ';' && delimiter == ";" ? TKind::End : TKind::Punct);
      const size_t count = tokens.size();
      if (tokens.back().Kind == TKind::End && count >= 3 && SameText(tokens[count - 3].Text, "FROM") &&
          SameText(tokens[count - 2].Text, "stdin"))
        skipCopyData();
    }
  }
  return tokens;
}

bool IsWord(const TToken& token, std::string_view word) {
  return token.Kind == TKind::Word && SameText(token.Text, word);
}
bool IsWordIn(const TToken& token, std::initializer_list<std::string_view> words) {
  return token.Kind == TKind::Word &&
         std::any_of(words.begin(), words.end(), [&](std::string_view word) { return SameText(token.Text, word); });
}
bool IsPunct(const TToken& token, char c) {
  return token.Kind == TKind::Punct && token.Text.size() == 1 && token.Text[0] == c;
}
bool IsNameToken(const TToken& token) {
  return token.Kind == TKind::Word || token.Kind == TKind::Name || token.Kind == TKind::String;
}

// A name's text: a quoted one without its quotes, doubled quotes undone.
std::string NameOf(const TToken& token) {
  const std::string_view text = token.Text;
  if (token.Kind == TKind::Word || text.size() < 2) return std::string(text);
  const char close = text[0] == '[' ? ']' : text[0];
  std::string name;
  const size_t end = text.back() == close ? text.size() - 1 : text.size();  // an unterminated quote
  for (size_t k = 1; k < end; ++k) {
    name += text[k];
    if (text[k] == close && k + 1 < end && text[k + 1] == close) ++k;
  }
  return name;
}

std::string LowerCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = LowerAscii(c);
  return lower;
}

// Statements' routine bodies (a trigger's BEGIN ... END) hold semicolons that end no statement.
bool IsRoutineHead(const std::vector<TToken>& t, size_t begin) {
  if (!IsWord(t[begin], "CREATE")) return false;
  for (size_t k = begin + 1; k < t.size() && k < begin + 9 && t[k].Kind != TKind::End && !IsPunct(t[k], '('); ++k) {
    if (IsWordIn(t[k], {"TABLE", "VIEW", "INDEX"})) return false;
    if (IsWordIn(t[k], {"TRIGGER", "FUNCTION", "PROCEDURE", "EVENT"})) return true;
  }
  return false;
}

struct TRange {
  size_t Begin, End;
};

std::vector<TRange> SplitStatements(const std::vector<TToken>& t) {
  std::vector<TRange> statements;
  size_t begin = 0;
  bool routine = false;
  int blocks = 0, cases = 0;
  for (size_t k = 0; k < t.size(); ++k) {
    const TToken& token = t[k];
    if (token.Kind == TKind::End) {
      if (blocks > 0 && token.Text == ";") continue;
      if (k > begin) statements.push_back({begin, k});
      begin = k + 1;
      blocks = cases = 0;
      continue;
    }
    if (k == begin) routine = IsRoutineHead(t, k);
    if (!routine || token.Kind != TKind::Word) continue;
    if (IsWord(token, "BEGIN")) {
      ++blocks;
    } else if (blocks > 0 && IsWord(token, "CASE")) {
      ++cases;
    } else if (blocks > 0 && IsWord(token, "END")) {
      const bool next = k + 1 < t.size();
      if (next && IsWord(t[k + 1], "CASE")) {  // MySQL's END CASE
        cases = std::max(0, cases - 1);
        ++k;
      } else if (next && IsWordIn(t[k + 1], {"IF", "LOOP", "WHILE", "REPEAT", "FOR"})) {
        ++k;
      } else if (cases > 0) {
        --cases;
      } else {
        --blocks;
      }
    }
  }
  if (begin < t.size()) statements.push_back({begin, t.size()});
  return statements;
}

// A table as it is read: its columns found by name through an index (the exact spelling first,
// then letter-case-blind), and a generation that moves on when the table is created again, which
// leaves out the foreign keys of the earlier definition.
struct TTable {
  TSchemaTable Schema;
  std::unordered_map<std::string, size_t> ColumnsByName, ColumnsByFoldedName;
  int Generation = 0;
  // pg_dump writes a partition as a table of its own and attaches it to its parent afterwards; the
  // parent stands for its partitions, as a database's catalog is read. Their keys go with them.
  bool Partition = false;

  void Add(TSchemaColumn column) {
    ColumnsByName.try_emplace(column.Name, Schema.Columns.size());
    ColumnsByFoldedName.try_emplace(LowerCase(column.Name), Schema.Columns.size());
    Schema.Columns.push_back(std::move(column));
  }
  TSchemaColumn* Find(const std::string& name) {
    if (const auto exact = ColumnsByName.find(name); exact != ColumnsByName.end())
      return &Schema.Columns[exact->second];
    const auto folded = ColumnsByFoldedName.find(LowerCase(name));
    return folded == ColumnsByFoldedName.end() ? nullptr : &Schema.Columns[folded->second];
  }
};

// A foreign key with the table it belongs to, as that table then was.
struct TKey {
  TSchemaForeignKey Key;
  size_t Table;
  int Generation;
};

// Reads the statements of one script into the schema.
class TScriptReader {
 public:
  explicit TScriptReader(std::string_view script) : tokens_(Tokenize(script)), close_(tokens_.size()) {}

  TDatabaseSchema Read() {
    for (const TRange& statement : SplitStatements(tokens_)) {
      MatchParentheses(statement);
      ReadStatement(statement);
    }
    for (TKey& key : keys_)
      if (key.Generation == tables_[key.Table].Generation && !tables_[key.Table].Partition)
        schema_.ForeignKeys.push_back(std::move(key.Key));
    for (TTable& table : tables_) {
      if (table.Partition) continue;
      for (TSchemaColumn& column : table.Schema.Columns)
        if (column.PrimaryKey) column.NotNull = true;
      schema_.Tables.push_back(std::move(table.Schema));
    }
    return std::move(schema_);
  }

 private:
  // The closing parenthesis of every "(" of the statement; its end where there is none.
  void MatchParentheses(TRange statement) {
    std::vector<size_t> open;
    for (size_t k = statement.Begin; k < statement.End; ++k) {
      if (IsPunct(tokens_[k], '(')) {
        open.push_back(k);
      } else if (IsPunct(tokens_[k], ')') && !open.empty()) {
        close_[open.back()] = k;
        open.pop_back();
      }
    }
    for (size_t k : open) close_[k] = statement.End;
  }
  // Past the token at k, or past its group when it opens one.
  size_t Next(size_t k) const { return IsPunct(tokens_[k], '(') ? close_[k] + 1 : k + 1; }

  // The pieces of [begin, end) between commas outside parentheses.
  std::vector<TRange> SplitAtCommas(size_t begin, size_t end) const {
    std::vector<TRange> parts;
    size_t from = begin;
    for (size_t k = begin; k < end; k = Next(k)) {
      if (IsPunct(tokens_[k], ',')) {
        parts.push_back({from, k});
        from = k + 1;
      }
    }
    parts.push_back({from, end});
    return parts;
  }

  const TToken& At(size_t k, size_t end) const {
    static const TToken none{{}, 0, TKind::End};
    return k < end ? tokens_[k] : none;
  }

  // A name of one to three parts ("db.schema.table" keeps the last two); k moves past it.
  bool ReadQualifiedName(size_t& k, size_t end, std::string& schema, std::string& name) const {
    if (!IsNameToken(At(k, end))) return false;
    schema.clear();
    name = NameOf(tokens_[k++]);
    while (IsPunct(At(k, end), '.') && IsNameToken(At(k + 1, end))) {
      schema = std::move(name);
      name = NameOf(tokens_[k + 1]);
      k += 2;
    }
    return true;
  }

  // The names of a parenthesised list "(a, b DESC, c(10))" at k, the first name of each item;
  // k moves past the list.
  std::vector<std::string> ReadNameList(size_t& k, size_t end) const {
    std::vector<std::string> names;
    if (!IsPunct(At(k, end), '(')) return names;
    const size_t close = std::min(close_[k], end);
    for (const TRange item : SplitAtCommas(k + 1, close))
      if (item.Begin < item.End && IsNameToken(tokens_[item.Begin])) names.push_back(NameOf(tokens_[item.Begin]));
    k = close + 1;
    return names;
  }

  void Skip(TRange statement) {
    ++schema_.SkippedCount;
    if (schema_.Skipped.size() >= TDatabaseSchema::SkippedKept) return;
    const TToken& first = tokens_[statement.Begin];
    const TToken& last = tokens_[statement.End - 1];
    const char* from = first.Text.data();
    const std::string_view source(from, std::min<size_t>(last.Text.data() + last.Text.size() - from, 240));
    std::string text;
    size_t used = 0;
    for (; used < source.size() && text.size() < 60; ++used) {
      const char c = source[used];
      if (static_cast<unsigned char>(c) > ' ' && c != 0x7F)
        text += c;
      else if (!text.empty() && text.back() != ' ')
        text += ' ';
    }
    // Whole words only, where the first word is not longer than all that is kept.
    if (used < source.size() && static_cast<unsigned char>(source[used]) > ' ' && text.rfind(' ') != std::string::npos)
      text.resize(text.rfind(' '));
    while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80) text.pop_back();
    if (!text.empty() && static_cast<unsigned char>(text.back()) >= 0xC0) text.pop_back();
    if (!IsValidUtf8(text))
      for (char& c : text)
        if (static_cast<unsigned char>(c) >= 0x80) c = '?';
    while (!text.empty() && text.back() == ' ') text.pop_back();
    schema_.Skipped.push_back({first.Line, std::move(text)});
  }

  void ReadStatement(TRange statement) {
    size_t k = statement.Begin;
    const size_t end = statement.End;
    const TToken& head = tokens_[k];
    if (IsWord(head, "CREATE")) {
      ++k;
      SkipCreateModifiers(k, end);
      if (IsWord(At(k, end), "TABLE")) {
        if (!ReadCreateTable(k + 1, end)) Skip(statement);
      } else if (!IsWordIn(
                     At(k, end),
                     {"INDEX",   "VIEW",      "SEQUENCE",   "FUNCTION",    "PROCEDURE",    "TRIGGER",    "TYPE",
                      "DOMAIN",  "EXTENSION", "SCHEMA",     "DATABASE",    "ROLE",         "USER",       "GROUP",
                      "RULE",    "POLICY",    "AGGREGATE",  "OPERATOR",    "CAST",         "COLLATION",  "CONVERSION",
                      "EVENT",   "SERVER",    "TABLESPACE", "PUBLICATION", "SUBSCRIPTION", "STATISTICS", "TEXT",
                      "FOREIGN", "LANGUAGE",  "ACCESS",     "TRANSFORM",   "VIRTUAL",      "LOGFILE",    "SYNONYM"})) {
        Skip(statement);
      }
    } else if (IsWord(head, "ALTER")) {
      if (IsWord(At(k + 1, end), "TABLE")) ReadAlterTable(k + 2, end);
    } else if (!IsWordIn(head, {"SET",     "SELECT",     "INSERT",    "REPLACE", "UPDATE",   "DELETE",     "COMMENT",
                                "GRANT",   "REVOKE",     "LOCK",      "UNLOCK",  "BEGIN",    "COMMIT",     "END",
                                "START",   "ROLLBACK",   "SAVEPOINT", "RELEASE", "PRAGMA",   "USE",        "ANALYZE",
                                "ANALYSE", "VACUUM",     "REINDEX",   "COPY",    "DO",       "CALL",       "EXECUTE",
                                "PREPARE", "DEALLOCATE", "DECLARE",   "FLUSH",   "OPTIMIZE", "CHECKPOINT", "CLUSTER",
                                "LISTEN",  "NOTIFY",     "UNLISTEN",  "DISCARD", "RESET",    "SHOW",       "TRUNCATE",
                                "WITH",    "VALUES",     "SECURITY",  "REFRESH", "IMPORT",   "ATTACH",     "DETACH",
                                "EXPLAIN", "RENAME",     "ABORT",     "DROP",    "REASSIGN", "LOAD"})) {
      Skip(statement);
    }
  }

  // OR REPLACE, TEMPORARY, UNIQUE, MySQL's DEFINER=`user`@`host` and the like, before the kind of
  // object a CREATE makes.
  void SkipCreateModifiers(size_t& k, size_t end) const {
    while (k < end) {
      const TToken& token = tokens_[k];
      if (IsWordIn(token, {"OR",         "REPLACE",  "TEMP",       "TEMPORARY", "GLOBAL",       "LOCAL",
                           "UNLOGGED",   "UNIQUE",   "FULLTEXT",   "SPATIAL",   "MATERIALIZED", "RECURSIVE",
                           "CONSTRAINT", "TRUSTED",  "PROCEDURAL", "DEFAULT",   "ONLINE",       "OFFLINE",
                           "SQL",        "SECURITY", "INVOKER",    "UNDEFINED", "MERGE",        "TEMPTABLE"})) {
        ++k;
      } else if (IsWordIn(token, {"DEFINER", "ALGORITHM"}) && IsPunct(At(k + 1, end), '=')) {
        k += 2;
        if (IsNameToken(At(k, end))) ++k;
        if (IsPunct(At(k, end), '(')) k = Next(k);  // CURRENT_USER()
        if (IsPunct(At(k, end), '@') && IsNameToken(At(k + 1, end))) k += 2;
      } else {
        return;
      }
    }
  }

  // False when the statement is no table that can be read: CREATE TABLE ... AS SELECT, LIKE,
  // PARTITION OF, no name or no column list.
  bool ReadCreateTable(size_t k, size_t end) {
    bool ifNotExists = false;
    if (IsWord(At(k, end), "IF") && IsWord(At(k + 1, end), "NOT") && IsWord(At(k + 2, end), "EXISTS")) {
      ifNotExists = true;
      k += 3;
    }
    TTable table;
    if (!ReadQualifiedName(k, end, table.Schema.Schema, table.Schema.Name) || !IsPunct(At(k, end), '(')) return false;
    const size_t close = close_[k];
    if (IsWord(At(close + 1, end), "AS")) return false;
    // SQLite's own tables (sqlite_sequence, sqlite_stat1) are none of the user's.
    const std::string& name = table.Schema.Name;
    if (name.size() >= 7 && SameText(name.substr(0, 7), "sqlite_")) return true;
    const auto earlier = tablesByName_.find({table.Schema.Schema, name});
    if (earlier != tablesByName_.end() && ifNotExists) return true;
    size_t index = tables_.size();
    if (earlier != tablesByName_.end()) {  // created again (after a DROP TABLE): the later definition stands
      index = earlier->second;
      table.Generation = tables_[index].Generation + 1;
      tables_[index] = std::move(table);
    } else {
      tablesByName_.try_emplace({table.Schema.Schema, name}, index);
      tablesByFoldedName_.try_emplace({LowerCase(table.Schema.Schema), LowerCase(name)}, index);
      tablesByNameAlone_.try_emplace(LowerCase(name), index);
      tables_.push_back(std::move(table));
    }
    for (const TRange element : SplitAtCommas(k + 1, close)) ReadElement(element, index);
    return true;
  }

  // The table a later statement names: the same name exactly, else letter-case-blind; a schema
  // named on one side only does not keep them apart.
  TTable* FindTable(const std::string& schema, const std::string& name) {
    if (const auto exact = tablesByName_.find({schema, name}); exact != tablesByName_.end())
      return &tables_[exact->second];
    const auto folded = tablesByFoldedName_.find({LowerCase(schema), LowerCase(name)});
    if (folded != tablesByFoldedName_.end()) return &tables_[folded->second];
    const auto alone = tablesByNameAlone_.find(LowerCase(name));
    if (alone == tablesByNameAlone_.end()) return nullptr;
    TTable& table = tables_[alone->second];
    return schema.empty() || table.Schema.Schema.empty() ? &table : nullptr;
  }

  void ReadAlterTable(size_t k, size_t end) {
    if (IsWord(At(k, end), "IF") && IsWord(At(k + 1, end), "EXISTS")) k += 2;
    if (IsWord(At(k, end), "ONLY")) ++k;
    std::string schema, name;
    if (!ReadQualifiedName(k, end, schema, name)) return;
    if (IsPunct(At(k, end), '*')) ++k;
    TTable* table = FindTable(schema, name);
    if (table == nullptr) return;  // nothing to add to
    const size_t index = table - tables_.data();
    for (TRange action : SplitAtCommas(k, end)) {
      size_t a = action.Begin;
      const size_t b = action.End;
      if (IsWord(At(a, b), "ADD")) {
        ++a;
        if (IsWord(At(a, b), "COLUMN")) ++a;
        if (IsWord(At(a, b), "IF") && IsWord(At(a + 1, b), "NOT") && IsWord(At(a + 2, b), "EXISTS")) {
          a += 3;
          if (IsNameToken(At(a, b)) && table->Find(NameOf(tokens_[a])) != nullptr) continue;
        }
        std::vector<TRange> elements{{a, b}};
        if (IsPunct(At(a, b), '('))
          elements = SplitAtCommas(a + 1, std::min(close_[a], b));  // MySQL's ADD (a int, b int)
        for (const TRange element : elements) ReadElement(element, index);
      } else if (IsWord(At(a, b), "ATTACH") && IsWord(At(a + 1, b), "PARTITION")) {
        a += 2;
        std::string partitionSchema, partitionName;
        if (!ReadQualifiedName(a, b, partitionSchema, partitionName)) continue;
        TTable* partition = FindTable(partitionSchema, partitionName);
        if (partition != nullptr && partition != table) partition->Partition = true;
      } else if (IsWord(At(a, b), "ALTER")) {
        ++a;
        if (IsWord(At(a, b), "COLUMN")) ++a;
        if (!IsNameToken(At(a, b))) continue;
        TSchemaColumn* column = table->Find(NameOf(tokens_[a]));
        if (column != nullptr && IsWord(At(a + 2, b), "NOT") && IsWord(At(a + 3, b), "NULL"))
          column->NotNull = IsWord(At(a + 1, b), "SET");  // SET NOT NULL, DROP NOT NULL
      }
    }
  }

  void AddKey(TSchemaForeignKey key, size_t table) {
    if (!key.Columns.empty() && !key.RefTable.empty())
      keys_.push_back({std::move(key), table, tables_[table].Generation});
  }

  // One element of a column list, or of ALTER TABLE ... ADD: a column or a table constraint. An
  // element that cannot be read is passed over, the rest of the table kept.
  void ReadElement(TRange element, size_t index) {
    size_t k = element.Begin;
    const size_t end = element.End;
    if (k >= end) return;
    TTable& table = tables_[index];
    std::string constraintName;
    bool named = false;
    if (IsWord(tokens_[k], "CONSTRAINT")) {
      named = true;
      ++k;
      if (IsNameToken(At(k, end)) && !IsWordIn(At(k, end), {"PRIMARY", "FOREIGN", "UNIQUE", "CHECK"}))
        constraintName = NameOf(tokens_[k++]);
    }
    const TToken& first = At(k, end);
    if (IsWord(first, "PRIMARY") && IsWord(At(k + 1, end), "KEY")) {
      k += 2;
      while (k < end && !IsPunct(tokens_[k], '(')) ++k;  // USING BTREE, CLUSTERED
      for (const std::string& name : ReadNameList(k, end))
        if (TSchemaColumn* column = table.Find(name)) column->PrimaryKey = true;
    } else if (IsWord(first, "FOREIGN") && IsWord(At(k + 1, end), "KEY")) {
      k += 2;
      if (IsNameToken(At(k, end))) ++k;  // MySQL's index name
      TSchemaForeignKey key{constraintName, table.Schema.Schema, table.Schema.Name, ReadNameList(k, end), {}, {}, {}};
      if (!IsWord(At(k, end), "REFERENCES")) return;
      ReadReference(++k, end, key);
      AddKey(std::move(key), index);
    } else if (!named && IsNameToken(first) && !IsTableConstraint(k, end)) {
      ReadColumn(k, end, index);
    }
  }

  // REFERENCES' table and columns, from just after the word; k moves past them.
  void ReadReference(size_t& k, size_t end, TSchemaForeignKey& key) const {
    if (!ReadQualifiedName(k, end, key.RefSchema, key.RefTable)) return;
    key.RefColumns = ReadNameList(k, end);
  }

  // MySQL's "KEY name (cols)" and "INDEX (cols)" against a column named key or index (SQLite,
  // PostgreSQL): an index's list starts with a name, a type's arguments with a number.
  bool IsTableConstraint(size_t k, size_t end) const {
    const TToken& first = tokens_[k];
    if (IsWordIn(first, {"UNIQUE", "CHECK", "PRIMARY", "FOREIGN"})) return true;
    if (IsWord(first, "EXCLUDE")) return IsPunct(At(k + 1, end), '(') || IsWord(At(k + 1, end), "USING");
    if (IsWord(first, "PERIOD")) return IsWord(At(k + 1, end), "FOR");
    if (IsWord(first, "LIKE")) return true;
    if (!IsWordIn(first, {"KEY", "INDEX", "FULLTEXT", "SPATIAL"})) return false;
    const TToken& second = At(k + 1, end);
    if (IsPunct(second, '(') || IsWordIn(second, {"KEY", "INDEX", "USING"})) return true;
    return IsNameToken(second) &&
           (IsWord(At(k + 2, end), "USING") || (IsPunct(At(k + 2, end), '(') && IsNameToken(At(k + 3, end))));
  }

  // A column: its name, its type up to the first constraint, then the constraints that matter here.
  void ReadColumn(size_t k, size_t end, size_t table) {
    TSchemaColumn column;
    column.Name = NameOf(tokens_[k++]);
    while (k < end && !IsTypeEnd(k, end)) {
      const size_t next = Next(k);
      for (size_t part = k; part < next && part < end; ++part) AppendTypePart(column.Type, tokens_[part]);
      k = next;
    }
    std::string constraintName;
    while (k < end) {
      const TToken& token = tokens_[k];
      if (IsWord(token, "CONSTRAINT") && IsNameToken(At(k + 1, end))) {
        constraintName = NameOf(tokens_[k + 1]);
        k += 2;
      } else if (IsWord(token, "PRIMARY") && IsWord(At(k + 1, end), "KEY")) {
        column.PrimaryKey = true;
        k += 2;
      } else if (IsWord(token, "NOT") && IsWord(At(k + 1, end), "NULL")) {
        column.NotNull = true;
        k += 2;
      } else if (IsWord(token, "REFERENCES")) {
        const TSchemaTable& owner = tables_[table].Schema;
        TSchemaForeignKey key{constraintName, owner.Schema, owner.Name, {column.Name}, {}, {}, {}};
        ReadReference(++k, end, key);
        AddKey(std::move(key), table);
        constraintName.clear();
      } else {
        k = Next(k);  // defaults, checks, collations, comments: a group at a time
      }
    }
    tables_[table].Add(std::move(column));
  }

  bool IsTypeEnd(size_t k, size_t end) const {
    const TToken& token = tokens_[k];
    if (token.Kind == TKind::Word)
      return IsWordIn(token, {"CONSTRAINT", "PRIMARY",    "NOT",       "NULL",    "DEFAULT",        "REFERENCES",
                              "UNIQUE",     "CHECK",      "GENERATED", "COLLATE", "AUTO_INCREMENT", "AUTOINCREMENT",
                              "COMMENT",    "ON",         "AS",        "KEY",     "IDENTITY",       "CHARSET",
                              "INVISIBLE",  "VISIBLE",    "STORED",    "VIRTUAL", "COLUMN_FORMAT",  "STORAGE",
                              "SRID",       "COMPRESSION"}) ||
             (IsWord(token, "CHARACTER") && IsWord(At(k + 1, end), "SET"));
    if (token.Kind == TKind::Name || token.Kind == TKind::Number) return false;
    return !(IsPunct(token, '(') || IsPunct(token, '.') || IsPunct(token, '[') || IsPunct(token, ']'));
  }

  // The type's words and arguments with one blank between words and none around punctuation:
  // "character varying(40)", "numeric(10,2)", "int(11) unsigned", "integer[]".
  static void AppendTypePart(std::string& type, const TToken& token) {
    if (!type.empty() && token.Kind != TKind::Punct) {
      const auto last = static_cast<unsigned char>(type.back());
      if (IsWordChar(last) || last == ')' || last == ']' || last == '"' || last == '\'' || last == '`') type += ' ';
    }
    type += token.Text;
  }

  std::vector<TToken> tokens_;
  std::vector<size_t> close_;
  TDatabaseSchema schema_;
  std::vector<TTable> tables_;
  std::vector<TKey> keys_;
  // Tables by schema and name as written, by both in lower case, and by the name alone in lower case.
  std::map<std::pair<std::string, std::string>, size_t> tablesByName_, tablesByFoldedName_;
  std::unordered_map<std::string, size_t> tablesByNameAlone_;
};
}  // namespace

TDatabaseSchema ReadSqlSchema(std::string_view script) { return TScriptReader(script).Read(); }
