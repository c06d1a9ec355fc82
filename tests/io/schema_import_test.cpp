// Import of an entity from a schema file: unscrambling, the split into property names, the entity
// name, failures that leave the diagram as it was, and the menu command.
#include "schema_import.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "diagram_fixture.h"
#include "io_test_support.h"
#include "property.h"
#include "schema_scrambler.h"
#include "toolkit_error.h"

namespace {
const std::string kKey(kSchemaKey);
const char* const kMenuCaption = "-> Create Entity With SDF (Tarnesk Export Schema) File";

std::vector<std::string> RowNames(const TEntity& entity) {
  std::vector<std::string> names;
  for (const auto& slot : entity.PropertyList()) names.push_back(slot.Object->PropertyDesc());
  return names;
}

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EToolkitError& error) {
    return error.what();
  }
  return "(no error)";
}

class SchemaImport : public DiagramTest {
 protected:
  std::string FileWith(const std::string& name, const std::string& bytes) {
    WriteBytes(folder / name, bytes);
    return folder / name;
  }
  // A schema file as the exporting tool writes it: the scrambled payload, then lines never read.
  std::string WriteSchema(const std::string& name, const std::string& plain) {
    return FileWith(name, ScrambleSchemaText(plain, kKey) + "\r\nzz.not.hex.at.all,\r\n");
  }

  TTempFolder folder;
};
}  // namespace

// Hand-computed: with every pair 0x20 each payload byte is (0x20 xor key letter) - 0x20, so the
// letters k r i l t o k give "+2),4/+", and the seventh byte shows the key starting over.
TEST(UnscrambleSchemaText, DecodesPairsWithTheKeyInTurn) {
  const struct {
    const char* line;
    std::string plain;
  } cases[] = {
      {"2020202020202020", "+2),4/+"},
      {"2020202020202020202020202020", "+2),4/+2),4/+"},
      {"20A", "A"},                      // three characters: the pair is the third one alone
      {"2020Z", "+"},                    // odd length: the lone last character is never read
      {"2020202020202020Z", "+2),4/+"},  // ... also after the key started over
      {"4B20", "\xFF"},                  // prev equal to t: t - prev + 255
      {"FF20", "K"},                     // prev above t: 0x4B - 0xFF + 255
      {"2a2A2a", "\x17."},               // digits in either case
      {"fFeEdD", "\x85\xC0"},
  };
  for (const auto& c : cases) EXPECT_EQ(UnscrambleSchemaText(c.line, kKey), c.plain) << c.line;
}

TEST(UnscrambleSchemaText, RefusesPairsThatAreNotHexadecimal) {
  const struct {
    std::string line;
    std::string pair;
  } cases[] = {
      {"", "$"},  // no seed at all
      {"2", "$"},         // a seed of one digit, then nothing at position 3
      {"20", "$"},        // a seed and no payload pair
      {"zz20", "$zz"},    // a bad seed
      {"0x2020", "$0x"},  // no prefixes
      {"20zz", "$zz"},
      {"202020g1", "$g1"},  // found after good pairs
      {"20 A20", "$ A"},    // no blanks inside a pair
      {"20+120", "$+1"},    // no signs
      {"20\xC3\xA9" "020", "$\xC3\xA9" "0"},  // a pair counts characters, not bytes
  };
  for (const auto& c : cases)
    EXPECT_EQ(ErrorOf([&] { UnscrambleSchemaText(c.line, kKey); }), "'" + c.pair + "' is not a valid integer value")
        << c.line;
}

TEST(UnscrambleSchemaText, ReadsBackEveryByteTheScramblerWrites) {
  std::string everyByte;
  for (int code = 1; code < 256; ++code) everyByte += static_cast<char>(code);
  for (const int seed : {0x00, 0x3C, 0x80, 0xFF})
    for (const bool lowerCase : {false, true})
      EXPECT_EQ(UnscrambleSchemaText(ScrambleSchemaText(everyByte, kKey, seed, lowerCase), kKey), everyByte)
          << seed << lowerCase;
  // A zero byte can only follow a pair worth 255.
  EXPECT_EQ(UnscrambleSchemaText(ScrambleSchemaText(std::string("\0", 1), kKey, 0xFF), kKey), std::string("\0", 1));
}

TEST(SchemaPropertyNames, TakesTheThirdFieldOfEveryClosedItem) {
  const struct {
    const char* payload;
    std::vector<std::string> names;
  } cases[] = {
      {"S.T.CUSTNO.K,S.T.NAME.K,", {"CUSTNO", "NAME"}},
      {"A.B.C.D,", {"C"}},
      {"A.B.C.D.E.F,", {"C"}},     // fields after the third do not count
      {"A.B.C.D,A.B.E.F", {"C"}},  // text after the last comma is no item
      {"A.B.C,", {}},              // the third field is never closed
      {"A.B.C.D,A.B.E,", {"C"}},   // ... and does not take the name of the item before
      {"A.B.C.D,,", {"C"}},        // an empty item names nothing
      {"A.B..D,", {}},             // an empty third field names nothing
      {"A.B. X .D,", {" X "}},     // blanks stand as they are
      {"..N.,", {"N"}},
      {"A.B.C.D", {}},
      {"A.B.C.D,A.B.C.D,", {"C", "C"}},  // duplicates are not checked
  };
  for (const auto& c : cases) EXPECT_EQ(SchemaPropertyNames(c.payload), c.names) << c.payload;
}

TEST(SchemaEntityName, IsTheFileNameUpToItsFirstDot) {
  const struct {
    const char* fileName;
    const char* name;
  } cases[] = {
      {"Customer.SFD", "Customer"}, {"/d/cust.old.SFD", "cust"}, {"x.y.SFD", "x"},
      {"/a.b/Order.SFD", "Order"},  {"C:\\d.e\\Item.SFD", "Item"}, {"NoDot", "NoDot"},
      {"/d/.SFD", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(SchemaEntityName(c.fileName), c.name) << c.fileName;
}

TEST_F(SchemaImport, CreatesOneEntityNamedAfterTheFileOnTheActivePage) {
  AddPage("P1");
  panel.SetLastMouse(300, 200);
  const size_t callsBefore = platform.Calls.size();
  ImportSchemaFromFile(panel, WriteSchema("Customer.SFD", "S.T.CUSTNO.K,S.T.NAME.K,"));

  ASSERT_EQ(panel.Entities().size(), 1u);
  const TEntity& entity = *panel.Entities().back();
  EXPECT_EQ(entity.EntityDesc(), "Customer");
  EXPECT_EQ(RowNames(entity), (std::vector<std::string>{"CUSTNO", "NAME"}));
  EXPECT_EQ(entity.Left(), 300);
  EXPECT_EQ(entity.Top(), 200);
  EXPECT_EQ(entity.ActivePages(), TEntryList{"P1 @300,200"});
  EXPECT_TRUE(entity.Visible());
  EXPECT_EQ(platform.Calls.size(), callsBefore) << "the import asks nothing when a page exists";
}

TEST_F(SchemaImport, AsksForAPageFirstWhenThereIsNone) {
  platform.Type("Orders");
  panel.SetLastMouse(50, 60);
  ImportSchemaFromFile(panel, WriteSchema("x.y.SFD", "A.B.C.D,"));

  ASSERT_EQ(platform.CallsOf("InputBox").size(), 1u);
  EXPECT_EQ(platform.Calls.size(), 1u);
  ASSERT_EQ(panel.Entities().size(), 1u);
  EXPECT_EQ(panel.Entities()[0]->EntityDesc(), "x");
  EXPECT_EQ(panel.Entities()[0]->ActivePages(), TEntryList{"Orders @50,60"});
  EXPECT_EQ(RowNames(*panel.Entities()[0]), std::vector<std::string>{"C"});
}

TEST_F(SchemaImport, PayloadWithoutAnyItemGivesAnEntityWithoutRows) {
  AddPage("P1");
  ImportSchemaFromFile(panel, WriteSchema("Plain.SFD", "A.B.C.D"));
  ASSERT_EQ(panel.Entities().size(), 1u);
  EXPECT_EQ(panel.Entities()[0]->PropertyCount(), 0);
}

TEST_F(SchemaImport, SecondImportOfTheSameFileFillsItsOwnEntity) {
  AddPage("P1");
  const std::string file = WriteSchema("Customer.SFD", "A.B.C.D,A.B.E.F,");
  ImportSchemaFromFile(panel, file);
  ImportSchemaFromFile(panel, file);

  ASSERT_EQ(panel.Entities().size(), 2u);
  for (const auto& entity : panel.Entities()) {
    EXPECT_EQ(entity->EntityDesc(), "Customer");
    EXPECT_EQ(RowNames(*entity), (std::vector<std::string>{"C", "E"})) << entity->Name();
  }
  EXPECT_EQ(panel.Entities()[1]->Name(), "Entity2");
  EXPECT_EQ(panel.Entities()[1]->PropertyList()[0].Object->Name(), "Entity2_Prop1");
}

// Only the first line is read, whatever ends it and whatever follows it.
TEST_F(SchemaImport, ReadsOnlyTheFirstLine) {
  const std::string line = ScrambleSchemaText("A.B.C.D,", kKey);
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"crlf", line + "\r\n" + ScrambleSchemaText("A.B.X.D,", kKey) + "\r\n"},
      {"lf", line + "\n\xFF\xFE not hex"},
      {"cr", line + "\rzz"},
      {"no line end", line},
      {"odd length", line + "Q\r\n"},
      {"lower case", ScrambleSchemaText("A.B.C.D,", kKey, 0xAB, true)},
      {"byte order mark", "\xEF\xBB\xBF" + line + "\r\n"},
  };
  AddPage("P1");
  for (const auto& c : cases) {
    ImportSchemaFromFile(panel, FileWith("Lines.SFD", c.bytes));
    EXPECT_EQ(RowNames(*panel.Entities().back()), std::vector<std::string>{"C"}) << c.name;
  }
  EXPECT_EQ(panel.Entities().size(), std::size(cases));
}

TEST_F(SchemaImport, PayloadFromAWindowsMachineBecomesUtf8) {
  const struct {
    std::string plain;
    std::string name;
  } cases[] = {
      {"A.B.Caf\xE9.D,", "Caf\xC3\xA9"},        // Windows-1252 e acute
      {"A.B.\x80uro.D,", "\xE2\x82\xACuro"},    // the euro sign of Windows-1252
      {"A.B.Caf\xC3\xA9.D,", "Caf\xC3\xA9"},    // already UTF-8: kept, not converted twice
  };
  AddPage("P1");
  for (const auto& c : cases) {
    ImportSchemaFromFile(panel, WriteSchema("Caf.SFD", c.plain));
    EXPECT_EQ(RowNames(*panel.Entities().back()), std::vector<std::string>{c.name}) << c.plain;
  }
}

// Every failure is raised before anything is created, so no page question comes before it either.
TEST_F(SchemaImport, FailuresCreateNothingAndAskNothing) {
  const std::string missing = folder / "Missing.SFD";
  const struct {
    const char* name;
    std::function<std::string()> file;
    std::string message;
  } cases[] = {
      {"empty file", [&] { return FileWith("Empty.SFD", ""); }, "List index out of bounds (0)"},
      {"empty first line", [&] { return FileWith("Blank.SFD", "\r\n" + ScrambleSchemaText("A.B.C.D,", kKey)); },
       "'$' is not a valid integer value"},
      {"bad pair", [&] { return FileWith("Bad.SFD", ScrambleSchemaText("A.B.C.D,", kKey) + "zz20\r\n"); },
       "'$zz' is not a valid integer value"},
      {"one digit", [&] { return FileWith("Short.SFD", "7"); }, "'$' is not a valid integer value"},
      {"Windows-1252 line", [&] { return FileWith("Latin.SFD", "20\xE9" "020"); },
       "'$\xC3\xA9" "0' is not a valid integer value"},
      {"missing file", [&] { return missing; },
       "Cannot open file \"" + missing + "\". No such file or directory"},
      {"folder", [&] { return folder.Path().string(); },
       "Cannot open file \"" + folder.Path().string() + "\". Is a directory"},
  };
  for (const auto& c : cases) {
    const std::string file = c.file();
    EXPECT_EQ(ErrorOf([&] { ImportSchemaFromFile(panel, file); }), c.message) << c.name;
  }
  EXPECT_TRUE(panel.Entities().empty());
  EXPECT_TRUE(platform.Calls.empty());
}

TEST_F(SchemaImport, BlankNameOrPayloadCreatesNothing) {
  const struct {
    const char* name;
    std::function<void()> import;
  } cases[] = {
      {"blank payload", [&] { ImportSchemaFromFile(panel, WriteSchema("Blank.SFD", " \t ")); }},
      {"control characters", [&] { ImportSchemaFromFile(panel, WriteSchema("Ctl.SFD", "\x01\x1F ")); }},
      {"no base name", [&] { ImportSchemaFromFile(panel, WriteSchema(".SFD", "A.B.C.D,")); }},
      {"blank name", [&] { CreateEntityFromSchema(panel, "  ", "A.B.C.D,"); }},
      {"empty payload", [&] { CreateEntityFromSchema(panel, "Customer", ""); }},
  };
  for (const auto& c : cases) {
    c.import();
    EXPECT_TRUE(panel.Entities().empty()) << c.name;
  }
  EXPECT_TRUE(platform.Calls.empty()) << "not even a page is asked for";
}

TEST_F(SchemaImport, MenuCommandAsksForASchemaFile) {
  InstallSchemaImport(panel);
  AddPage("P1");
  platform.CancelFile();
  panel.SurfaceMenu().Find(kMenuCaption)->Click();
  EXPECT_TRUE(panel.Entities().empty());

  const auto dialogs = platform.CallsOf("Open");
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].File.Filter, "Tarnesk Export Schema File | *.SFD");
  EXPECT_EQ(dialogs[0].File.DefaultExt, "");
  EXPECT_EQ(dialogs[0].File.InitialDir, "");
  EXPECT_EQ(dialogs[0].File.FileName, "");

  platform.PickFile(WriteSchema("Order.SFD", "A.B.ORDERNO.D,"));
  panel.SurfaceMenu().Find(kMenuCaption)->Click();
  ASSERT_EQ(panel.Entities().size(), 1u);
  EXPECT_EQ(panel.Entities()[0]->EntityDesc(), "Order");
  EXPECT_EQ(RowNames(*panel.Entities()[0]), std::vector<std::string>{"ORDERNO"});
}
