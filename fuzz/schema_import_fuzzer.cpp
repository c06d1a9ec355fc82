// The schema import on any bytes. An even first byte takes the rest as a whole schema file; an odd
// one takes the rest as a plain payload and scrambles it as the exporting tool does, so that the
// fuzzer reaches the splitting of items as easily as the unscrambling. Either way, the entity the
// import creates must hold exactly one row per item that names a property, in item order, and
// unscrambling a scrambled payload must give it back.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "entity.h"
#include "fuzz_check.h"
#include "ooa_panel.h"
#include "property.h"
#include "quiet_platform.h"
#include "schema_import.h"
#include "schema_scrambler.h"
#include "text.h"
#include "text_encoding.h"
#include "toolkit_error.h"

namespace {
std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (;;) {
    const size_t at = text.find(separator);
    parts.push_back(text.substr(0, at));
    if (at == std::string_view::npos) return parts;
    text.remove_prefix(at + 1);
  }
}

// The names as the items give them, worked out apart from the importer: every text before a ","
// is an item, and an item whose third "."-separated field is followed by a further "." names that
// field, unless it is empty.
std::vector<std::string> ExpectedNames(std::string_view payload) {
  std::vector<std::string> names;
  std::vector<std::string_view> items = Split(payload, ',');
  items.pop_back();  // the text after the last ",", or all of it when there is none, is no item
  for (const std::string_view item : items) {
    const std::vector<std::string_view> fields = Split(item, '.');
    if (fields.size() >= 4 && !fields[2].empty()) names.emplace_back(fields[2]);
  }
  return names;
}

constexpr const char* kEntityName = "Customer";
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string key(kSchemaKey);
  std::string fileBytes;
  if (data[0] & 1) {
    std::string line;
    try {
      line = ScrambleSchemaText(rest, key, data[0]);
    } catch (const std::invalid_argument&) {
      return 0;  // a zero byte no pair can encode after the pair before it
    }
    if (!rest.empty() && UnscrambleSchemaText(line, key) != rest)
      FailCheck("unscrambling a scrambled payload does not give it back", rest, UnscrambleSchemaText(line, key));
    // Only the first line counts: what follows it must change nothing.
    fileBytes = line + "\r\n.x.NOTAROW.y,\r\n";
  } else {
    fileBytes = rest;
  }

  QuietPlatform platform;
  TOOAPanel panel(platform);
  panel.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
  std::string payload;
  bool refused = false;
  try {
    // The payload as the importer reads it, for the expectation below; a line it refuses here is
    // refused by the import too.
    const std::string_view firstLine = std::string_view(fileBytes).substr(0, fileBytes.find_first_of("\r\n"));
    const std::string raw = UnscrambleSchemaText(DecodeFileText(firstLine), key);
    payload = IsValidUtf8(raw) ? raw : DecodeFileText(raw);
  } catch (const EToolkitError&) {
    refused = true;
  }
  bool raised = false;
  try {
    ImportSchemaBytes(panel, kEntityName, fileBytes);
  } catch (const EToolkitError&) {
    raised = true;
  }
  FUZZ_CHECK(raised == (refused || fileBytes.empty()));
  if (raised || IsBlank(payload)) {
    FUZZ_CHECK(panel.Entities().empty());
    return 0;
  }
  FUZZ_CHECK(panel.Entities().size() == 1);
  const TEntity& entity = *panel.Entities().front();
  FUZZ_CHECK(entity.EntityDesc() == kEntityName);
  const std::vector<std::string> expected = ExpectedNames(payload);
  std::vector<std::string> rows;
  for (const auto& slot : entity.PropertyList()) rows.push_back(slot.Object->PropertyDesc());
  if (rows != expected) {
    std::string want, got;
    for (const auto& name : expected) want += name + "\n";
    for (const auto& name : rows) got += name + "\n";
    FailCheck("the rows created are not the names the payload's items give", want, got);
  }
  FUZZ_CHECK(platform.Messages == 0 && platform.Errors == 0);
  return 0;
}
