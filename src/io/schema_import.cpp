#include "schema_import.h"

#include <cerrno>
#include <cstring>
#include <optional>
#include <stdexcept>

#include "entity.h"
#include "file_access.h"
#include "ooa_panel.h"
#include "platform.h"
#include "property.h"
#include "text.h"
#include "text_encoding.h"
#include "toolkit_error.h"

namespace {
bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length in bytes of the character at the offset: a UTF-8 sequence, or a lone byte where the
// text is not UTF-8 there, so that every byte belongs to exactly one character.
size_t CharacterLength(std::string_view text, size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  size_t length = 1;
  if (lead >= 0xC0 && lead <= 0xDF)
    length = 2;
  else if (lead >= 0xE0 && lead <= 0xEF)
    length = 3;
  else if (lead >= 0xF0 && lead <= 0xF7)
    length = 4;
  if (length > text.size() - at) return 1;
  for (size_t k = 1; k < length; ++k)
    if (!IsContinuation(static_cast<unsigned char>(text[at + k]))) return 1;
  return length;
}

// Up to count characters from the offset, which moves past them.
std::string_view TakeCharacters(std::string_view text, size_t& at, int count) {
  const size_t start = at;
  for (int i = 0; i < count && at < text.size(); ++i) at += CharacterLength(text, at);
  return text.substr(start, at - start);
}

bool HasTwoCharacters(std::string_view text, size_t at) {
  if (at >= text.size()) return false;
  return at + CharacterLength(text, at) < text.size();
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The pair read as a hexadecimal number: digits only, in either case. The message quotes the pair
// behind the "$" that marks a hexadecimal number.
int HexPairValue(std::string_view pair) {
  int value = 0;
  bool valid = !pair.empty();
  for (const char c : pair) {
    const int digit = HexDigit(c);
    if (digit < 0) {
      valid = false;
      break;
    }
    value = value * 16 + digit;
  }
  if (!valid) throw EToolkitError("'$" + std::string(pair) + "' is not a valid integer value");
  return value;
}

std::string DecodeSchemaPayload(const std::string& bytes) {
  return IsValidUtf8(bytes) ? bytes : DecodeFileText(bytes);
}

}  // namespace

std::string UnscrambleSchemaText(const std::string& text, const std::string& key) {
  if (key.empty()) throw std::invalid_argument("UnscrambleSchemaText needs a key");
  size_t at = 0;
  int prev = HexPairValue(TakeCharacters(text, at, 2));
  size_t keyIndex = 0;
  std::string result;
  result.reserve(text.size() / 2);
  // The pair after the seed is read even when the line ends before it, so that a line too short to
  // carry any payload is refused rather than read as an empty payload.
  do {
    const int cur = HexPairValue(TakeCharacters(text, at, 2));
    keyIndex = keyIndex < key.size() ? keyIndex + 1 : 1;
    const int t = cur ^ static_cast<unsigned char>(key[keyIndex - 1]);
    const int code = prev < t ? t - prev : t - prev + 255;
    result += static_cast<char>(code & 0xFF);
    prev = cur;
  } while (HasTwoCharacters(text, at));
  return result;
}

std::vector<std::string> SchemaPropertyNames(std::string_view plainText) {
  std::vector<std::string> names;
  std::string field;
  std::string name;
  int dots = 0;
  bool named = false;
  for (const char c : plainText) {
    if (c == '.') {
      if (dots < 3 && ++dots == 3) {
        name = field;
        named = true;
      }
      field.clear();
    } else if (c == ',') {
      // An item that never closed its third field names no property; it must not repeat the name
      // of the item before it. An empty third field names none either: a row without a name would
      // have to ask the user for one in the middle of an import.
      if (named && !name.empty()) names.push_back(name);
      field.clear();
      dots = 0;
      named = false;
    } else {
      field += c;
    }
  }
  return names;
}

std::string SchemaEntityName(const std::string& fileName) {
  const size_t slash = fileName.find_last_of("/\\");
  const std::string baseName = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
  return baseName.substr(0, baseName.find('.'));
}

void CreateEntityFromSchema(TOOAPanel& panel, const std::string& entityName, const std::string& plainText) {
  if (IsBlank(entityName) || IsBlank(plainText)) return;
  const std::vector<std::string> names = SchemaPropertyNames(plainText);
  // The rows go to the entity just created, never to an earlier one with the same description.
  TEntity& entity = panel.CreateEntity(entityName, false);
  for (const std::string& name : names) AddProperty(entity, name, true);
}

void ImportSchemaBytes(TOOAPanel& panel, const std::string& entityName, std::string_view fileBytes) {
  if (fileBytes.empty()) throw EToolkitError("List index out of bounds (0)");
  // Line ends are single ASCII bytes in UTF-8 and in Windows-1252 alike, so the first line can be
  // cut before its characters are decoded; later lines then cannot change how it is read.
  const std::string firstLine = DecodeFileText(fileBytes.substr(0, fileBytes.find_first_of("\r\n")));
  // Unscrambled in full before anything is created, so that a bad line leaves the diagram as it was.
  const std::string payload = DecodeSchemaPayload(UnscrambleSchemaText(firstLine, std::string(kSchemaKey)));
  CreateEntityFromSchema(panel, entityName, payload);
}

void ImportSchemaFromFile(TOOAPanel& panel, const std::string& fileName) {
  const std::string entityName = SchemaEntityName(fileName);
  ImportSchemaBytes(panel, entityName, ReadExistingFile(fileName));
}

void ImportSchemaFile(TOOAPanel& panel) {
  FileDialogOptions options;
  options.Filter = "Tarnesk Export Schema File | *.SFD";
  const std::optional<std::string> chosen = panel.GetPlatformRef().OpenFileDialog(options);
  if (!chosen) return;
  ImportSchemaFromFile(panel, *chosen);
}

void InstallSchemaImport(TOOAPanel& panel) { panel.FileHandlers.ImportSchemaFile = ImportSchemaFile; }
