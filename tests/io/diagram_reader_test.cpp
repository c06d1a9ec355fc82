// The diagram file reader: sections, keys, defaults, lookups and errors, on small files and the
// diagram each one leaves on the panel.
#include "diagram_file_reader.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "diagram_file_writer.h"
#include "diagram_fixture.h"
#include "entity_event.h"
#include "io_test_support.h"
#include "method.h"
#include "property.h"
#include "relation.h"
#include "text_encoding.h"
#include "toolkit_error.h"

namespace {
const std::string kGolden = QUORVANE_IO_GOLDEN_DIR;
constexpr const char* kInitError = "File Format Error !! When Init Diagram !! ";
constexpr const char* kEntityError = "File Format Error !! When Create A Entity Object !! ";
constexpr const char* kPropertyError = "File Format Error !! When Create A Property Object !! ";
constexpr const char* kMethodError = "File Format Error !! When Create A Method Object !! ";
constexpr const char* kCutNotice = "The text ends before its last line: what it holds up to there was read, the rest of it is missing.";

struct ReaderCase {
  const char* name;
  std::string file;
  std::string diagram;  // DescribeDiagram after loading
  const char* message;  // the one message box shown, or nothing
  std::vector<std::string> answers = {};  // typed into the input boxes, in order
  const char* notice = "";                // the one notice shown (a file cut short), or nothing
};

// Loads the file into a panel that held a diagram named "Before", with the mouse last at (70, 80).
void Check(const ReaderCase& c) {
  ScriptedPlatform platform;
  TOOAPanel panel(platform);
  panel.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
  panel.SetDiagramName("Before");
  panel.SetLastMouse(70, 80);
  for (const auto& answer : c.answers) platform.Type(answer);
  LoadDiagramText(panel, c.file);
  EXPECT_EQ(DescribeDiagram(panel), c.diagram) << c.name;
  const auto messages = platform.CallsOf("Message");
  if (*c.message) {
    ASSERT_EQ(messages.size(), 1u) << c.name;
    EXPECT_EQ(messages[0].Text, c.message) << c.name;
  } else {
    EXPECT_TRUE(messages.empty()) << c.name;
  }
  EXPECT_TRUE(platform.ScriptDone()) << c.name;
  const auto notices = platform.CallsOf("Notice");
  EXPECT_EQ(notices.size(), *c.notice ? 1u : 0u) << c.name;
  if (*c.notice && !notices.empty()) {
    EXPECT_EQ(notices[0].Text, c.notice) << c.name;
  }
}

using ReaderOnPanel = DiagramTest;

const char* const kPageHeader = "@ERDIAGRAM\n DIAGRAMNAME=D\n OWNPAGE=P1\n ACTIVEPAGE=P1\n";
std::string WithHeader(const char* body) { return std::string(kPageHeader) + body + "#ERDIAGRAM\n"; }
}  // namespace

TEST(Reader, HeaderDefaults) {
  const ReaderCase cases[] = {
      {"empty name loads as NewDiagram", "@ERDIAGRAM\n DIAGRAMNAME=\n OWNPAGE=P1\n ACTIVEPAGE=P1\n#ERDIAGRAM\n",
       "diagram \"NewDiagram\" pages [P1] active \"P1\"\n", ""},
      {"no name line keeps the name the panel had", "@ERDIAGRAM\n OWNPAGE=P1\n ACTIVEPAGE=P1\n#ERDIAGRAM\n",
       "diagram \"Before\" pages [P1] active \"P1\"\n", ""},
      {"empty active page takes the first page", "@ERDIAGRAM\n OWNPAGE=A\n OWNPAGE=B\n ACTIVEPAGE=\n#ERDIAGRAM\n",
       "diagram \"Before\" pages [A|B] active \"A\"\n", ""},
      {"empty active page without pages makes NewPage1", "@ERDIAGRAM\n ACTIVEPAGE=\n#ERDIAGRAM\n",
       "diagram \"Before\" pages [NewPage1] active \"NewPage1\"\n", ""},
      {"NewPage1 is made at the empty active page, before later pages",
       "@ERDIAGRAM\n ACTIVEPAGE=\n OWNPAGE=B\n#ERDIAGRAM\n", "diagram \"Before\" pages [NewPage1|B] active \"NewPage1\"\n",
       ""},
      {"no page lines end with NewPage1 and the named page stays active", "@ERDIAGRAM\n ACTIVEPAGE=Other\n#ERDIAGRAM\n",
       "diagram \"Before\" pages [NewPage1] active \"Other\"\n", ""},
      {"a page repeating the one before is dropped, an empty first one too",
       "@ERDIAGRAM\n OWNPAGE=\n OWNPAGE=A\n OWNPAGE=A\n OWNPAGE=B\n OWNPAGE=A\n OWNPAGE=\n ACTIVEPAGE=A\n#ERDIAGRAM\n",
       "diagram \"Before\" pages [A|B|A|] active \"A\"\n", ""},
      {"header keys outside an open diagram change nothing",
       " DIAGRAMNAME=X\n OWNPAGE=Q\n@ERDIAGRAM\n OWNPAGE=P1\n ACTIVEPAGE=P1\n#ERDIAGRAM\n DIAGRAMNAME=Y\n",
       "diagram \"Before\" pages [P1] active \"P1\"\n", ""},
      {"a second diagram empties the pages and keeps the entities",
       "@ERDIAGRAM\n OWNPAGE=P1\n ACTIVEPAGE=P1\n @ENTITY\n  DESC=A\n #ENTITY\n#ERDIAGRAM\n@ERDIAGRAM\n OWNPAGE=P2\n#ERDIAGRAM\n",
       "diagram \"Before\" pages [P2] active \"P1\"\n  entity Entity1 \"A\" Organization [P1 @70,80]\n", ""},
      {"a page name holding a key word is only a name", "@ERDIAGRAM\n OWNPAGE=DIAGRAMNAME ACTIVEPAGE\n#ERDIAGRAM\n",
       "diagram \"Before\" pages [DIAGRAMNAME ACTIVEPAGE] active \"\"\n", ""},
  };
  for (const auto& c : cases) Check(c);
}

TEST(Reader, EntitySections) {
  const ReaderCase cases[] = {
      {"an entity without placement stands on the active page where the mouse was",
       WithHeader(" @ENTITY\n  NAME=Entity1\n  DESC=A\n #ENTITY\n"),
       "diagram \"D\" pages [P1] active \"P1\"\n  entity Entity1 \"A\" Organization [P1 @70,80]\n", ""},
      {"TOP and LEFT place it, 60 when not a number",
       WithHeader(" @ENTITY\n  TOP=5\n  LEFT=7\n #ENTITY\n @ENTITY\n  TOP=x\n  LEFT=-3\n #ENTITY\n"),
       "diagram \"D\" pages [P1] active \"P1\"\n"
       "  entity Entity1 \"NEWEntity\" Organization [P1 @7,5]\n"
       "  entity Entity2 \"NEWEntity\" Organization [P1 @-3,60]\n",
       ""},
      {"a placement repeating the one before is dropped, an empty first one too",
       WithHeader(" @ENTITY\n  DISPLAYPAGE=\n  DISPLAYPAGE=P1 @1,2\n  DISPLAYPAGE=P1 @1,2\n  DISPLAYPAGE=Q @3,4\n"
                  "  DISPLAYPAGE=P1 @1,2\n  DISPLAYPAGE=\n #ENTITY\n"),
       "diagram \"D\" pages [P1] active \"P1\"\n  entity Entity1 \"NEWEntity\" Organization [P1 @1,2|Q @3,4|P1 @1,2|]\n",
       ""},
      {"the kind is the last of the four words the value holds",
       WithHeader(" @ENTITY\n  ENTITYTYPE=Concept\n #ENTITY\n @ENTITY\n  ENTITYTYPE=Data Form\n #ENTITY\n"
                  " @ENTITY\n  ENTITYTYPE=form\n #ENTITY\n @ENTITY\n  ENTITYTYPE=ConceptData\n #ENTITY\n"
                  " @ENTITY\n  ENTITYTYPE=Data\n  ENTITYTYPE=Organization\n #ENTITY\n"),
       "diagram \"D\" pages [P1] active \"P1\"\n"
       "  entity Entity1 \"NEWEntity\" Concept [P1 @70,80]\n"
       "  entity Entity2 \"NEWEntity\" Data [P1 @70,80]\n"
       "  entity Entity3 \"NEWEntity\" Organization [P1 @70,80]\n"
       "  entity Entity4 \"NEWEntity\" Concept [P1 @70,80]\n"
       "  entity Entity5 \"NEWEntity\" Organization [P1 @70,80]\n",
       ""},
      // Off the active page, the hide flags stay as the reading set them.
      {"rows are hidden by the flags of placement entries only",
       WithHeader(" @ENTITY\n  DISPLAYPAGE=Q @1,2,HIDE PROPERTY\n #ENTITY\n"
                  " @ENTITY\n  DISPLAYPAGE=Q @1,2,HIDE METHOD\n #ENTITY\n"
                  " @ENTITY\n  DISPLAYPAGE=HIDE METHOD page @1,2\n #ENTITY\n"
                  " @ENTITY\n  DESC=HIDE PROPERTY,HIDE METHOD\n  DISPLAYPAGE=Q @1,2\n #ENTITY\n"),
       "diagram \"D\" pages [P1] active \"P1\"\n"
       "  entity Entity1 \"NEWEntity\" Organization -properties [Q @1,2,HIDE PROPERTY]\n"
       "  entity Entity2 \"NEWEntity\" Organization -methods [Q @1,2,HIDE METHOD]\n"
       "  entity Entity3 \"NEWEntity\" Organization [HIDE METHOD page @1,2]\n"
       "  entity Entity4 \"HIDE PROPERTY,HIDE METHOD\" Organization [Q @1,2]\n",
       ""},
      {"key words inside values are only text",
       WithHeader(" @ENTITY\n  NAME=Entity1\n  DESC=NAME=X TOP=1 LEFT=2 of the customer\n"
                  "  @PROPERTY\n   DESC=NAME of the customer\n  #PROPERTY\n"
                  "  @METHOD\n   DESC=NAME\n  #METHOD\n #ENTITY\n"),
       "diagram \"D\" pages [P1] active \"P1\"\n"
       "  entity Entity1 \"NAME=X TOP=1 LEFT=2 of the customer\" Organization [P1 @70,80]\n"
       "    property Entity1_Prop1 \"NAME of the customer\"\n"
       "    method Entity1_Method1 \"NAME\"\n",
       ""},
      {"rows without their own lines keep the names and texts they were made with",
       WithHeader(" @ENTITY\n  @PROPERTY\n  #PROPERTY\n  @PROPERTY\n  #PROPERTY\n  @METHOD\n  #METHOD\n #ENTITY\n"),
       "diagram \"D\" pages [P1] active \"P1\"\n"
       "  entity Entity1 \"NEWEntity\" Organization [P1 @70,80]\n"
       "    property Entity1_Prop1 \"NEWProperty\"\n"
       "    property Entity1_Prop2 \"NEWProperty\"\n"
       "    method Entity1_Method1 \"NEWMethod\"\n",
       ""},
      {"entity keys after its closing marker change nothing",
       WithHeader(" @ENTITY\n  DESC=A\n #ENTITY\n  DESC=B\n  NAME=X\n"),
       "diagram \"D\" pages [P1] active \"P1\"\n  entity Entity1 \"A\" Organization [P1 @70,80]\n", ""},
      {"the key is the trimmed text before the first equals sign, with case",
       WithHeader(" @ENTITY\n  NAME = Entity9 \n\tDESC\t=\tA=B\t\n  name=Lower\n  Desc=Lower\n #ENTITY\n"),
       "diagram \"D\" pages [P1] active \"P1\"\n  entity Entity9 \"A=B\" Organization [P1 @70,80]\n", ""},
  };
  for (const auto& c : cases) Check(c);
}

// A property's type, size and scale; a method's call, found by exact name among the rows of its own
// entity once the entity's rows are all read.
TEST(Reader, DataTypesAndCalls) {
  const char* const entity = "  entity Entity1 \"NEWEntity\" Organization [P1 @70,80]\n";
  const ReaderCase cases[] = {
      {"the kind word as written, numbers as decimal integers, lower-case keys ignored",
       WithHeader(" @ENTITY\n  @PROPERTY\n   DATATYPE=Double\n   DATASIZE=10\n   DATASCALE=2\n  #PROPERTY\n"
                  "  @PROPERTY\n   DATATYPE=double\n   DATASIZE=x\n   DATASCALE=-3\n  #PROPERTY\n"
                  "  @PROPERTY\n   datatype=Bool\n   DATASIZE= 7 \n   DataScale=1\n  #PROPERTY\n #ENTITY\n"),
       "diagram \"D\" pages [P1] active \"P1\"\n" + std::string(entity) +
           "    property Entity1_Prop1 \"NEWProperty\" Double 10,2\n"
           "    property Entity1_Prop2 \"NEWProperty\" Varchar 0,-3\n"
           "    property Entity1_Prop3 \"NEWProperty\" Varchar 7,0\n",
       ""},
      {"calls to a later and an earlier row; not to the row itself, another spelling or another entity's row",
       WithHeader(" @ENTITY\n  @METHOD\n   CALLMETHOD=Entity1_Method2\n   CALLDISTANCE=3\n  #METHOD\n"
                  "  @METHOD\n   CALLMETHOD=Entity1_Method1\n   CALLDISTANCE=two\n  #METHOD\n"
                  "  @METHOD\n   CALLMETHOD=Entity1_Method3\n  #METHOD\n"
                  "  @METHOD\n   CALLMETHOD=entity1_method1\n   callmethod=Entity1_Method1\n  #METHOD\n #ENTITY\n"
                  " @ENTITY\n  @METHOD\n   CALLMETHOD=Entity1_Method1\n  #METHOD\n #ENTITY\n"),
       "diagram \"D\" pages [P1] active \"P1\"\n" + std::string(entity) +
           "    method Entity1_Method1 \"NEWMethod\" calls Entity1_Method2 at 3\n"
           "    method Entity1_Method2 \"NEWMethod\" calls Entity1_Method1 at 15\n"
           "    method Entity1_Method3 \"NEWMethod\"\n"
           "    method Entity1_Method4 \"NEWMethod\"\n"
           "  entity Entity2 \"NEWEntity\" Organization [P1 @70,80]\n"
           "    method Entity2_Method1 \"NEWMethod\"\n",
       ""},
      {"a name two rows share calls the first of them other than the caller",
       WithHeader(" @ENTITY\n  @METHOD\n   NAME=M\n   CALLMETHOD=M\n  #METHOD\n  @METHOD\n   NAME=M\n   CALLMETHOD=M\n  #METHOD\n"
                  "  @METHOD\n   NAME=M\n  #METHOD\n #ENTITY\n"),
       "diagram \"D\" pages [P1] active \"P1\"\n" + std::string(entity) +
           "    method M \"NEWMethod\" calls M at 15\n"
           "    method M \"NEWMethod\" calls M at 15\n"
           "    method M \"NEWMethod\"\n",
       ""},
      {"without its closing marker an entity's calls are found at the next section",
       WithHeader(" @ENTITY\n  @METHOD\n   CALLMETHOD=Entity1_Method2\n  #METHOD\n  @METHOD\n  #METHOD\n"
                  " @ENTITYEVENT\n #ENTITYEVENT\n"),
       "diagram \"D\" pages [P1] active \"P1\"\n  entity Entity1 \"NEWEntity\" Organization []\n"
       "    method Entity1_Method1 \"NEWMethod\" calls Entity1_Method2 at 15\n"
       "    method Entity1_Method2 \"NEWMethod\"\n",
       ""},
      {"a row hidden one by one (HIDDEN=TRUE exactly) stays hidden",
       WithHeader(" @ENTITY\n  @PROPERTY\n   HIDDEN=TRUE\n  #PROPERTY\n  @PROPERTY\n   HIDDEN=yes\n  #PROPERTY\n"
                  "  @PROPERTY\n  #PROPERTY\n #ENTITY\n"),
       "diagram \"D\" pages [P1] active \"P1\"\n" + std::string(entity) +
           "    property Entity1_Prop1 \"NEWProperty\" hidden\n"
           "    property Entity1_Prop2 \"NEWProperty\"\n"
           "    property Entity1_Prop3 \"NEWProperty\"\n",
       ""},
      {"or when the reading stops",
       WithHeader(" @ENTITY\n  @METHOD\n   CALLMETHOD=Entity1_Method2\n  #METHOD\n  @METHOD\n  #METHOD\n @ENTITY\n"),
       "diagram \"D\" pages [P1] active \"P1\"\n  entity Entity1 \"NEWEntity\" Organization []\n"
       "    method Entity1_Method1 \"NEWMethod\" calls Entity1_Method2 at 15\n"
       "    method Entity1_Method2 \"NEWMethod\"\n",
       kEntityError},
  };
  for (const auto& c : cases) Check(c);
}

TEST(Reader, RelationAndEventSections) {
  const std::string twoEntities =
      " @ENTITY\n  NAME=Entity1\n  DESC=A\n  DISPLAYPAGE=P1 @10,10\n"
      "  @PROPERTY\n   NAME=Entity1_Prop1\n  #PROPERTY\n  @METHOD\n   NAME=Entity1_Method1\n  #METHOD\n #ENTITY\n"
      " @ENTITY\n  NAME=Entity2\n  DESC=B\n  DISPLAYPAGE=P1 @300,10\n"
      "  @PROPERTY\n   NAME=Entity2_Prop1\n  #PROPERTY\n  @METHOD\n   NAME=Entity2_Method1\n  #METHOD\n #ENTITY\n";
  const std::string entityLines =
      "diagram \"D\" pages [P1] active \"P1\"\n"
      "  entity Entity1 \"A\" Organization [P1 @10,10]\n"
      "    property Entity1_Prop1 \"NEWProperty\"\n"
      "    method Entity1_Method1 \"NEWMethod\"\n";
  const std::string secondEntityLines =
      "  entity Entity2 \"B\" Organization [P1 @300,10]\n"
      "    property Entity2_Prop1 \"NEWProperty\"\n"
      "    method Entity2_Method1 \"NEWMethod\"\n";
  struct Case {
    const char* name;
    std::string boxes;
    std::string firstBoxes;  // described under the first entity
    std::string secondBoxes;  // under the second
    const char* message = "";
  } cases[] = {
      {"a relation links property rows; entity names ignore case, row names do not",
       "  @RELATION\n   RELOWNERENTITY=entity1\n   NAME=Entity1_Rel_7\n   DESC=owns\n   TOP=30\n   LEFT=178\n"
       "   SOURCEENTITY=ENTITY1\n   SOURCEPROPERTY=Entity1_Prop1\n   TARGETENTITY=entity2\n   TARGETPROPERTY=entity2_prop1\n"
       "   DISPLAYPAGE=P1 @178,30\n  #RELATION\n",
       "    relation Entity1_Rel_7 \"owns\" at 178,30 Entity1.Entity1_Prop1 > Entity2.- [P1 @178,30]\n", ""},
      {"an event links method rows and finds no property row",
       "  @ENTITYEVENT\n   EVTOWNERENTITY=Entity2\n   DESC=fires\n   SOURCEENTITY=Entity2\n   SOURCEMETHOD=Entity2_Method1\n"
       "   TARGETENTITY=Entity1\n   TARGETMETHOD=Entity1_Prop1\n   DISPLAYPAGE=P1 @5,6\n  #ENTITYEVENT\n",
       "", "    event Entity2_Event_1 \"fires\" at 5,6 Entity2.Entity2_Method1 > Entity1.- [P1 @5,6]\n"},
      {"a box without placement stands at the top-left corner of the active page",
       "  @RELATION\n   RELOWNERENTITY=Entity1\n   TOP=30\n   LEFT=40\n  #RELATION\n"
       "  @ENTITYEVENT\n   EVTOWNERENTITY=Entity1\n  #ENTITYEVENT\n",
       "    relation Entity1_Rel_1 \"NEWRelation\" at 0,0 - > - [P1]\n"
       "    event Entity1_Event_1 \"NEWEntityEvent\" at 0,0 - > - [P1]\n",
       ""},
      // Off the active page a box keeps the position its lines gave it.
      {"TOP and LEFT of a box, 160 when not a number",
       "  @RELATION\n   RELOWNERENTITY=Entity1\n   TOP=abc\n   LEFT=12\n   DISPLAYPAGE=Q @1,1\n  #RELATION\n",
       "    relation Entity1_Rel_1 \"NEWRelation\" at 12,160 - > - [Q @1,1]\n", ""},
      {"a missing source entity leaves the source unset and its row line changes nothing",
       "  @RELATION\n   RELOWNERENTITY=Entity1\n   SOURCEENTITY=Nobody\n   SOURCEPROPERTY=Entity1_Prop1\n"
       "   DISPLAYPAGE=P1 @1,1\n  #RELATION\n",
       "    relation Entity1_Rel_1 \"NEWRelation\" at 1,1 - > - [P1 @1,1]\n", ""},
      {"an owner that matches no entity makes nothing, and its lines change nothing",
       "  @RELATION\n   RELOWNERENTITY=Entity1\n   DESC=kept\n   DISPLAYPAGE=P1 @1,1\n  #RELATION\n"
       "  @RELATION\n   RELOWNERENTITY=Nobody\n   DESC=lost\n   DISPLAYPAGE=P1 @2,2\n  #RELATION\n",
       "    relation Entity1_Rel_1 \"kept\" at 1,1 - > - [P1 @1,1]\n", ""},
      {"an empty row name finds no row",
       "  @RELATION\n   RELOWNERENTITY=Entity1\n   SOURCEENTITY=Entity1\n   SOURCEPROPERTY=\n   DISPLAYPAGE=P1 @1,1\n"
       "  #RELATION\n",
       "    relation Entity1_Rel_1 \"NEWRelation\" at 1,1 Entity1.- > - [P1 @1,1]\n", ""},
      {"key words inside a box's values are only text",
       "  @RELATION\n   RELOWNERENTITY=Entity1\n   DESC=SOURCEENTITY=Entity2 TOP NAME\n   DISPLAYPAGE=TOP @1,1\n"
       "   DISPLAYPAGE=P1 @4,4\n  #RELATION\n",
       "    relation Entity1_Rel_1 \"SOURCEENTITY=Entity2 TOP NAME\" at 4,4 - > - [TOP @1,1|P1 @4,4]\n", ""},
      {"a name no entity bears yet finds the entity read later under that name",
       "  @RELATION\n   RELOWNERENTITY=Late\n   DESC=lost\n  #RELATION\n"
       " @ENTITY\n  NAME=Late\n  DESC=C\n  DISPLAYPAGE=P1 @5,5\n #ENTITY\n"
       "  @RELATION\n   RELOWNERENTITY=Late\n   DESC=found\n   SOURCEENTITY=Late\n   DISPLAYPAGE=P1 @1,1\n  #RELATION\n",
       "", "  entity Late \"C\" Organization [P1 @5,5]\n    relation Late_Rel_1 \"found\" at 1,1 Late.- > - [P1 @1,1]\n"},
      {"an entity section after a box naming an entity is refused",
       "  @RELATION\n   RELOWNERENTITY=Entity1\n   DISPLAYPAGE=P1 @1,1\n  #RELATION\n @ENTITY\n  DESC=C\n #ENTITY\n",
       "    relation Entity1_Rel_1 \"NEWRelation\" at 1,1 - > - [P1 @1,1]\n", "", kEntityError},
  };
  for (const auto& c : cases) {
    const std::string diagram = entityLines + c.firstBoxes + secondEntityLines + c.secondBoxes;
    Check({c.name, WithHeader((twoEntities + c.boxes).c_str()), diagram, c.message});
  }
}

TEST(Reader, FormatErrorsStopTheReadingAndKeepWhatWasRead) {
  const ReaderCase cases[] = {
      {"a second diagram inside an open one",
       "@ERDIAGRAM\n OWNPAGE=P1\n ACTIVEPAGE=P1\n @ENTITY\n #ENTITY\n@ERDIAGRAM\n OWNPAGE=P2\n @ENTITY\n #ENTITY\n",
       "diagram \"Before\" pages [P1] active \"P1\"\n  entity Entity1 \"NEWEntity\" Organization [P1 @70,80]\n",
       kInitError},
      {"a property as the first section", "@PROPERTY\n NAME=X\n@ERDIAGRAM\n OWNPAGE=P1\n#ERDIAGRAM\n",
       "diagram \"Before\" pages [] active \"\"\n", kPropertyError},
      {"a method outside an entity",
       "@ERDIAGRAM\n ACTIVEPAGE=P1\n @ENTITY\n #ENTITY\n  @METHOD\n   DESC=Lost\n  #METHOD\n#ERDIAGRAM\n",
       "diagram \"Before\" pages [] active \"P1\"\n  entity Entity1 \"NEWEntity\" Organization [P1 @70,80]\n", kMethodError},
      {"an entity inside an open entity", WithHeader(" @ENTITY\n  NAME=Entity1\n @ENTITY\n  NAME=Entity2\n #ENTITY\n"),
       "diagram \"D\" pages [P1] active \"P1\"\n  entity Entity1 \"NEWEntity\" Organization []\n", kEntityError},
      // A file cut short (a disk that filled) is read as far as it goes and told of once.
      {"cut inside a row", std::string(kPageHeader) + " @ENTITY\n  NAME=Entity1\n  @PROPERTY\n   DESC=Na",
       "diagram \"D\" pages [P1] active \"P1\"\n  entity Entity1 \"NEWEntity\" Organization []\n"
       "    property Entity1_Prop1 \"Na\"\n", "", {}, kCutNotice},
      {"cut before its last line", std::string(kPageHeader) + " @ENTITY\n #ENTITY\n#ERDIA",
       "diagram \"D\" pages [P1] active \"P1\"\n  entity Entity1 \"NEWEntity\" Organization [P1 @70,80]\n", "", {},
       kCutNotice},
  };
  for (const auto& c : cases) Check(c);
}

TEST(Reader, WithoutAnActivePageTheFirstEntityAsksForOne) {
  const ReaderCase cases[] = {
      {"the answer becomes the active page", "@ERDIAGRAM\n OWNPAGE=A\n @ENTITY\n  DESC=E\n #ENTITY\n#ERDIAGRAM\n",
       "diagram \"Before\" pages [A|Main] active \"Main\"\n  entity Entity1 \"E\" Organization [Main @70,80]\n", "",
       {"Main"}},
      {"a blank answer leaves the entity on no page", "@ERDIAGRAM\n OWNPAGE=A\n @ENTITY\n  DESC=E\n #ENTITY\n#ERDIAGRAM\n",
       "diagram \"Before\" pages [A] active \"\"\n  entity Entity1 \"E\" Organization [ @70,80]\n", "", {" "}},
  };
  for (const auto& c : cases) Check(c);

  ScriptedPlatform platform;
  TOOAPanel panel(platform);
  platform.Cancel();
  LoadDiagramText(panel, "@ERDIAGRAM\n OWNPAGE=A\n @ENTITY\n #ENTITY\n @ENTITY\n #ENTITY\n#ERDIAGRAM\n");
  const auto boxes = platform.CallsOf("InputBox");
  ASSERT_EQ(boxes.size(), 1u) << "only the first entity asks";
  EXPECT_EQ(boxes[0].Caption, "Create New Page");
  EXPECT_EQ(boxes[0].Text, "Input New Page's Name :");
  EXPECT_EQ(boxes[0].Default, "NewPage2");
}

TEST(Reader, LayoutOfTheLinesCarriesNoMeaning) {
  const std::string example = ReadBytes(kGolden + "/orders_example.ERD");
  ASSERT_FALSE(example.empty());
  ScriptedPlatform platform;
  TOOAPanel panel(platform);
  LoadDiagramText(panel, example);
  const std::string expected = DescribeDiagram(panel);

  auto eachLine = [&example](auto change) {
    std::string out;
    for (const std::string_view line : SplitLines(example)) out += change(std::string(line));
    return out;
  };
  auto unindented = [](std::string line) { return line.substr(line.find_first_not_of(' ')); };
  const struct {
    const char* name;
    std::string file;
  } variants[] = {
      {"lf only", eachLine([](std::string line) { return line + "\n"; })},
      {"cr only", eachLine([](std::string line) { return line + "\r"; })},
      {"unindented", eachLine([&](std::string line) { return unindented(line) + "\r\n"; })},
      {"tab-indented with trailing blanks", eachLine([&](std::string line) { return "\t\t" + unindented(line) + " \t\r\n"; })},
      {"blank lines, unknown markers and keys, lower-case ones",
       eachLine([](std::string line) {
         return line + "\r\n\r\n  \t\r\n@NOTE\r\n#NOTE\r\nCOLOR=red\r\n@entity\r\n#entity\r\n@property\r\nname=lower\r\n";
       })},
      {"utf-8 byte-order mark", "\xEF\xBB\xBF" + example},
  };
  for (const auto& variant : variants) {
    ScriptedPlatform otherPlatform;
    TOOAPanel other(otherPlatform);
    LoadDiagramText(other, variant.file);
    EXPECT_EQ(DescribeDiagram(other), expected) << variant.name;
    EXPECT_TRUE(otherPlatform.Calls.empty()) << variant.name;
  }
}

namespace {
// The first entity gets its entry at "#ENTITY", which shows the page while the reading goes on; the
// second has an entry and fails on its name.
const char* const kBadNameFile =
    "@ERDIAGRAM\n OWNPAGE=P1\n ACTIVEPAGE=P1\n @ENTITY\n  NAME=Entity1\n  DESC=A\n #ENTITY\n"
    " @ENTITY\n  DISPLAYPAGE=P1 @5,5\n  NAME=Bad Name\n  DESC=B\n #ENTITY\n#ERDIAGRAM\n";

// Whether the panel shows pages in full passes again: an entity moved behind the reader's back
// must follow its entry at the next page showing.
bool ShowsInFullPasses(TOOAPanel& panel) {
  TEntity& first = *panel.Entities()[0];
  first.SetActivePages({"P1 @300,310"});
  panel.ShowActivePage();
  return first.Left() == 300 && first.Top() == 310;
}
}  // namespace

TEST_F(ReaderOnPanel, AnInvalidNameEndsTheReadingWithoutShowingThePage) {
  try {
    LoadDiagramText(panel, kBadNameFile);
    FAIL() << "no error";
  } catch (const EToolkitError& error) {
    EXPECT_STREQ(error.what(), "''Bad Name'' is not a valid component name");
  }
  ASSERT_EQ(panel.Entities().size(), 2u);
  EXPECT_EQ(panel.Entities()[0]->EntityDesc(), "A");
  EXPECT_TRUE(panel.Entities()[0]->Visible());
  EXPECT_FALSE(panel.Entities()[1]->Visible()) << "the final page showing did not run";
  EXPECT_EQ(panel.Entities()[1]->EntityDesc(), "NEWEntity");
  EXPECT_TRUE(ShowsInFullPasses(panel));

  // Failing before any page was shown, the surface menu still names the page the header gave.
  EXPECT_THROW(LoadDiagramText(panel, "@ERDIAGRAM\n OWNPAGE=P2\n ACTIVEPAGE=P2\n @ENTITY\n  NAME=1st\n"), EToolkitError);
  EXPECT_EQ(panel.SurfaceMenu().Item(0).Caption(), "ER DIAGRAM MENU   ->PAGE : P2");
}

TEST_F(ReaderOnPanel, AfterAFormatErrorThePageIsShownInFull) {
  LoadDiagramText(panel, "@ERDIAGRAM\n OWNPAGE=P1\n ACTIVEPAGE=P1\n @ENTITY\n #ENTITY\n @ENTITY\n  DISPLAYPAGE=P1 @5,5\n"
                         " @ENTITY\n");
  ASSERT_EQ(platform.CallsOf("Message").size(), 1u);
  ASSERT_EQ(panel.Entities().size(), 2u);
  EXPECT_TRUE(panel.Entities()[1]->Visible()) << "the final page showing ran";
  EXPECT_EQ(panel.Entities()[1]->Left(), 5);
  EXPECT_TRUE(ShowsInFullPasses(panel));
}

// Every entity without an entry shows the page once at "#ENTITY"; in full passes that work would
// grow with the square of the diagram.
TEST_F(ReaderOnPanel, ShowingThePageWhileReadingGrowsWithTheDiagramNotItsSquare) {
  auto repaintsFor = [](int entityCount) {
    std::string file = "@ERDIAGRAM\n OWNPAGE=P1\n ACTIVEPAGE=P1\n";
    for (int i = 0; i < entityCount; ++i) file += " @ENTITY\n  @PROPERTY\n  #PROPERTY\n  @METHOD\n  #METHOD\n #ENTITY\n";
    file += "#ERDIAGRAM\n";
    ScriptedPlatform platform;
    TOOAPanel panel(platform);
    LoadDiagramText(panel, file);
    EXPECT_TRUE(panel.Entities().back()->Visible());
    return platform.Invalidations;
  };
  const int small = repaintsFor(100);
  const int large = repaintsFor(400);
  EXPECT_LT(large, 6 * small) << small << " then " << large;
}

TEST_F(ReaderOnPanel, LoadedExampleIsShownWithItsMenusUpToDate) {
  LoadDiagramText(panel, ReadBytes(kGolden + "/orders_example.ERD"));
  const TEntity& customer = *panel.Entities()[0];
  const TEntity& order = *panel.Entities()[1];
  EXPECT_EQ(panel.SurfaceMenu().Item(0).Caption(), "ER DIAGRAM MENU   ->PAGE : NewPage1");
  EXPECT_EQ(customer.PropertyList()[0].Object->Menu().Item(0).Caption(), "PROPERTY : Customer -> CustNo");
  EXPECT_EQ(customer.MethodList()[0].Object->Menu().Item(0).Caption(), "METHOD : Customer -> Check");
  TRelation& relation = *customer.RelationList()[0].Object;
  EXPECT_EQ(relation.Menu().Item(0).Caption(), "RELATION : Customer -> Customer_Rel_1");
  EXPECT_TRUE(customer.Visible());
  EXPECT_TRUE(order.Visible());
  EXPECT_TRUE(relation.Visible());
  EXPECT_EQ((TPoint{customer.Left(), customer.Top()}), (TPoint{40, 30}));
  EXPECT_EQ((TPoint{order.Left(), order.Top()}), (TPoint{300, 30}));
  EXPECT_TRUE(customer.MethodList()[0].Object->Visible());
  // The anchors follow the rows' final places, so the connector lines meet them.
  const TProperty& custNo = *order.PropertyList()[0].Object;
  EXPECT_EQ(custNo.Anchors().LeftX, 300);
  EXPECT_EQ(custNo.Anchors().Y, 30 + custNo.Top() + custNo.Height() / 2);
  EXPECT_EQ(relation.Anchors().LeftX, 178);
}

// Without the final page showing, the page stays as the last showing during the reading left it,
// which must be what a full pass would have left: boxes read after their entity was shown count.
TEST_F(ReaderOnPanel, AnInvalidNameLeavesThePageAsTheLastShowingLeftIt) {
  const char* const file =
      "@ERDIAGRAM\n OWNPAGE=P1\n ACTIVEPAGE=P1\n @ENTITY\n  NAME=Entity1\n #ENTITY\n"
      "  @RELATION\n   RELOWNERENTITY=Entity1\n   DISPLAYPAGE=P1 @5,6\n   TARGETENTITY=Nobody\n  #RELATION\n"
      "  @ENTITYEVENT\n   EVTOWNERENTITY=Entity1\n   TARGETENTITY=Nobody\n  #ENTITYEVENT\n"
      " @ENTITY\n  NAME=Entity2\n #ENTITY\n @ENTITY\n  NAME=Bad Name\n";
  EXPECT_THROW(LoadDiagramText(panel, file), EToolkitError);
  const TEntity& first = *panel.Entities()[0];
  const TRelation& relation = *first.RelationList()[0].Object;
  const TEntityEvent& event = *first.EventList()[0].Object;
  EXPECT_TRUE(relation.Visible());
  EXPECT_EQ((TPoint{relation.Left(), relation.Top()}), (TPoint{5, 6}));
  EXPECT_TRUE(event.Visible()) << "its entry holds the active page alone";
  EXPECT_EQ((TPoint{event.Left(), event.Top()}), (TPoint{0, 0}));
  EXPECT_TRUE(panel.Entities()[1]->Visible());
  EXPECT_FALSE(panel.Entities()[2]->Visible());
}
