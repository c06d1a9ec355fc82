// The command line as a user runs it: the built program on files in a temporary folder, checking
// the exit status, standard error and the file written.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "io_test_support.h"
#include "schema_scrambler.h"

namespace fs = std::filesystem;

namespace {
struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'')
      quoted.append("'\\''");
    else
      quoted.push_back(c);
  }
  quoted.push_back('\'');
  return quoted;
}

class CommandLine : public ::testing::Test {
 protected:
  // Runs the program in the temporary folder with the given arguments and environment prefix.
  RunResult Quorvane(const std::vector<std::string>& arguments, const std::string& environment = "") {
    std::string command = "cd " + Quote(dir.string()) + " && " + environment + " " + Quote(QUORVANE_BINARY);
    for (const auto& argument : arguments) {
      command.push_back(' ');
      command.append(Quote(argument));
    }
    command += " > out.txt 2> err.txt";
    RunResult run;
    const int status = std::system(command.c_str());
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadBytes(dir / "out.txt");
    run.err = ReadBytes(dir / "err.txt");
    fs::remove(dir / "out.txt");
    fs::remove(dir / "err.txt");
    return run;
  }

  TTempFolder folder;
  const fs::path dir = folder.Path();
};

const std::string kOrders =
    "@ERDIAGRAM\r\n DIAGRAMNAME=Orders\r\n OWNPAGE=NewPage1\r\n OWNPAGE=Detail\r\n ACTIVEPAGE=NewPage1\r\n"
    " @ENTITY\r\n  NAME=Entity1\r\n  DESC=Customer\r\n  ENTITYTYPE=Data\r\n  DISPLAYPAGE=NewPage1 @40,30\r\n"
    "  DISPLAYPAGE=Detail @200,50,HIDE METHOD\r\n  @PROPERTY\r\n   NAME=Entity1_Prop1\r\n   DESC=CustNo\r\n"
    "  #PROPERTY\r\n  @METHOD\r\n   NAME=Entity1_Method1\r\n   DESC=Check\r\n  #METHOD\r\n #ENTITY\r\n"
    " @ENTITY\r\n  NAME=Entity2\r\n  DESC=Order\r\n  ENTITYTYPE=Form\r\n  DISPLAYPAGE=NewPage1 @300,30\r\n"
    "  @PROPERTY\r\n   NAME=Entity2_Prop1\r\n   DESC=CustNo\r\n  #PROPERTY\r\n #ENTITY\r\n  @RELATION\r\n"
    "   RELOWNERENTITY=Entity1\r\n   NAME=Entity1_Rel_1\r\n   DESC=Customer_Rel_1\r\n   TOP=30\r\n   LEFT=178\r\n"
    "   SOURCEENTITY=Entity1\r\n   SOURCEPROPERTY=Entity1_Prop1\r\n   TARGETENTITY=Entity2\r\n"
    "   TARGETPROPERTY=Entity2_Prop1\r\n   DISPLAYPAGE=NewPage1 @178,30\r\n  #RELATION\r\n#ERDIAGRAM\r\n";
}  // namespace

TEST_F(CommandLine, HelpDescribesTheExport) {
  const RunResult run = Quorvane({"--help"}, "env -u DISPLAY");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("--export=OUT"), std::string::npos);
  EXPECT_NE(run.out.find("--import-schema=SOURCE"), std::string::npos);
  EXPECT_NE(run.out.find("quorvane --diff OLD.ERD NEW.ERD"), std::string::npos);
  EXPECT_EQ(run.err, "");
  const RunResult version = Quorvane({"--version"}, "env -u DISPLAY");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("quorvane ", 0), 0u) << version.out;
}

TEST_F(CommandLine, ExportsTheDiagramFileExactlyAsSaved) {
  WriteBytes(dir / "orders.ERD", kOrders);
  const RunResult run = Quorvane({"--export=copy.v2.erd", "orders.ERD"}, "env -u DISPLAY");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(ReadBytes(dir / "copy.v2.erd"), kOrders) << "written exactly at the path given";
}

TEST_F(CommandLine, ExportsPicturesOfTheActivePage) {
  WriteBytes(dir / "orders.ERD", kOrders);
  for (const char* name : {"page.bmp", "page.BMP", "page.png", "page.svg"}) {
    const RunResult run = Quorvane({std::string("--export=") + name, "orders.ERD"}, "env -u DISPLAY");
    EXPECT_EQ(run.status, 0) << name << ": " << run.err;
    EXPECT_EQ(run.err, "") << name;
  }
  const std::string bmp = ReadBytes(dir / "page.bmp");
  ASSERT_GE(bmp.size(), 54u);
  auto little = [&](size_t at, size_t bytes) {
    unsigned value = 0;
    for (size_t i = 0; i < bytes; ++i) value |= static_cast<unsigned>(static_cast<unsigned char>(bmp[at + i])) << (8 * i);
    return value;
  };
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  EXPECT_EQ(little(18, 4), 2048u);
  EXPECT_EQ(little(22, 4), 2048u);
  EXPECT_EQ(little(28, 2), 24u) << "bits per pixel";
  EXPECT_EQ(ReadBytes(dir / "page.BMP"), bmp);
  EXPECT_EQ(ReadBytes(dir / "page.png").substr(0, 4), "\x89PNG");
  const std::string svg = ReadBytes(dir / "page.svg");
  EXPECT_NE(svg.find("<svg"), std::string::npos);
  EXPECT_NE(svg.find("width=\"541.867mm\" height=\"541.867mm\""), std::string::npos) << "2048 pixels at 96 dpi, as the PDF";
  EXPECT_NE(svg.find(">Customer<"), std::string::npos) << "text stays text";
  EXPECT_NE(svg.find("<polyline"), std::string::npos) << "lines stay lines";
  EXPECT_EQ(svg.find("<image"), std::string::npos) << "no embedded raster";
}

// A PDF of every page, or of the page asked for: one page the drawing's size each, real text that
// a reader finds (the page's objects and none of another page's); the other formats a file a page.
TEST_F(CommandLine, ExportsPdfPagesWithRealTextAndEveryPageToItsOwnFile) {
  const std::string shop = std::string(QUORVANE_EXAMPLES) + "/shop.ERD";
  const auto tool = [&](const std::string& command) {
    EXPECT_EQ(std::system(("cd " + Quote(dir.string()) + " && " + command + " > tool.txt 2>&1").c_str()), 0) << command;
    return ReadBytes(dir / "tool.txt");
  };
  RunResult run = Quorvane({"--export=pages.pdf", "--all-pages", shop}, "env -u DISPLAY");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string info = tool("pdfinfo pages.pdf");
  EXPECT_NE(info.find("Pages:           3"), std::string::npos) << info;
  EXPECT_NE(info.find("Page size:       1536 x 1536 pts"), std::string::npos) << "2048 pixels at 96 dpi: " << info;
  run = Quorvane({"--export=billing.pdf", "--page=billing", shop}, "env -u DISPLAY");
  ASSERT_EQ(run.status, 0) << run.err;
  struct Case {
    std::string read;
    std::vector<std::string> shown, hidden;
  } cases[] = {
      {"-f 2 -l 2 pages.pdf", {"Customer", "Order", "LineNo", "Product", "places", "OrderPlaced"}, {"Invoice", "bills", "Amount"}},
      {"-f 3 -l 3 pages.pdf", {"Customer", "Invoice", "Amount", "bills", "InvoicePaid"}, {"Product", "places", "LineNo"}},
      {"billing.pdf", {"Customer", "Invoice", "bills"}, {"Product", "places"}},
  };
  for (const Case& c : cases) {
    const std::string text = tool("pdftotext " + c.read + " -");
    for (const std::string& word : c.shown) EXPECT_NE(text.find(word), std::string::npos) << c.read << ": " << word;
    for (const std::string& word : c.hidden) EXPECT_EQ(text.find(word), std::string::npos) << c.read << ": " << word;
  }
  run = Quorvane({"--export=shop %p.png", "--all-pages", shop}, "env -u DISPLAY");
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* page : {"Overview", "Ordering", "Billing"})
    EXPECT_EQ(ReadBytes(dir / ("shop " + std::string(page) + ".png")).substr(0, 4), "\x89PNG") << page;
  // A "/" cannot stand in a file name; a page whose name then comes out as another's keeps its own file.
  WriteBytes(dir / "slash.ERD", "@ERDIAGRAM\r\n DIAGRAMNAME=P\r\n OWNPAGE=In/Out\r\n OWNPAGE=In_Out\r\n#ERDIAGRAM\r\n");
  run = Quorvane({"--export=p %p.svg", "--all-pages", "slash.ERD"}, "env -u DISPLAY");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::exists(dir / "p In_Out.svg"));
  EXPECT_TRUE(fs::exists(dir / "p In_Out_2.svg"));
}

// The documents of the model: the HTML passes HTML Tidy's checks without a warning, its pictures
// drawn by Qt inline, whatever the names hold; the active page stays the one the command line chose.
TEST_F(CommandLine, ExportsTheModelsDocumentsAsValidHtmlMarkdownAndMermaid) {
  std::string hostile = kOrders;
  for (const auto& [from, to] : {std::pair<std::string, std::string>{"DIAGRAMNAME=Orders", "DIAGRAMNAME=<b>O&rders</b>"},
                                 {"DESC=Customer\r", "DESC=Cust<o>mer & \"Co\" | `x`\r"}})
    hostile.replace(hostile.find(from), from.size(), to);
  WriteBytes(dir / "orders.ERD", hostile);
  for (const char* name : {"out.md", "out.html", "out.mmd", "page.svg"}) {
    const RunResult run = Quorvane({std::string("--export=") + name, "--page=Detail", "orders.ERD"}, "env -u DISPLAY");
    EXPECT_EQ(run.status, 0) << name << ": " << run.err;
  }
  const std::string html = ReadBytes(dir / "out.html");
  EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(html.find("<title>Data dictionary: &lt;b&gt;O&amp;rders&lt;/b&gt;</title>"), std::string::npos);
  EXPECT_NE(html.find(">Cust&lt;o&gt;mer &amp; &quot;Co&quot; | `x`</text>"), std::string::npos) << "text stays text";
  int status = -1;
  const std::string tidy = Shell("tidy -q -e " + Quote((dir / "out.html").string()) + " 2>&1", &status);
  EXPECT_EQ(status, 0) << tidy;
  EXPECT_EQ(tidy, "");
  Shell("xmllint --noout " + Quote((dir / "page.svg").string()) + " 2>&1", &status);
  EXPECT_EQ(status, 0) << "the picture's title escaped too";
  EXPECT_NE(ReadBytes(dir / "out.md").find("# Data dictionary: \\<b\\>O\\&rders\\</b\\>"), std::string::npos);
  EXPECT_NE(ReadBytes(dir / "out.mmd").find("E_Cust_o_mer_Co_x_ }o..o{ E_Order : \"Customer_Rel_1 (CustNo \u2192 CustNo)\""),
            std::string::npos);
}

TEST_F(CommandLine, PageIsMatchedIgnoringCase) {
  WriteBytes(dir / "orders.ERD", kOrders);
  const RunResult run = Quorvane({"--page=detail", "--export=out.ERD", "orders.ERD"});
  EXPECT_EQ(run.status, 0) << run.err;
  const std::string out = ReadBytes(dir / "out.ERD");
  EXPECT_NE(out.find(" ACTIVEPAGE=Detail\r\n"), std::string::npos);
}

TEST_F(CommandLine, WithoutADiagramStartsEmpty) {
  const RunResult run = Quorvane({"--export=empty.ERD"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadBytes(dir / "empty.ERD"), "@ERDIAGRAM\r\n DIAGRAMNAME=\r\n ACTIVEPAGE=\r\n#ERDIAGRAM\r\n");
}

TEST_F(CommandLine, QuestionsAreAnsweredWithTheirProposals) {
  // No active page: the entity's creation asks for a page, answered with "NewPage1".
  WriteBytes(dir / "nopage.ERD", "@ERDIAGRAM\n @ENTITY\n  NAME=Entity1\n  DESC=A\n #ENTITY\n#ERDIAGRAM\n");
  const RunResult run = Quorvane({"--export=out.ERD", "nopage.ERD"});
  EXPECT_EQ(run.status, 0) << run.err;
  const std::string out = ReadBytes(dir / "out.ERD");
  EXPECT_NE(out.find(" OWNPAGE=NewPage1\r\n ACTIVEPAGE=NewPage1\r\n"), std::string::npos) << out;
  EXPECT_NE(out.find("  DISPLAYPAGE=NewPage1 @0,0\r\n"), std::string::npos) << out;
  // A file cut short is read as far as it goes and told of on standard error; the job goes on.
  WriteBytes(dir / "cut.ERD", kOrders.substr(0, kOrders.find("  @RELATION")));
  const RunResult cut = Quorvane({"--export=cut-out.ERD", "cut.ERD"});
  EXPECT_EQ(cut.status, 0);
  EXPECT_EQ(cut.err, "quorvane: The file \"" + (dir / "cut.ERD").string() +
                         "\" ends before its last line: what it holds up to there was read, the rest of it is missing.\n");
  EXPECT_NE(ReadBytes(dir / "cut-out.ERD").find("  DESC=Order\r\n"), std::string::npos);
}

// Schema files and a database's script, each told by what it holds (the schema file here without its
// extension), imported in order; what the script made is told on standard error.
TEST_F(CommandLine, ImportsSchemaFilesInOrder) {
  WriteBytes(dir / "orders.ERD", kOrders);
  WriteBytes(dir / "Invoice.SFD", ScrambleSchemaText("S.T.NUMBER.K,S.T.TOTAL.K,", "krilto", 0x3c) + "\r\n");
  WriteBytes(dir / "Payment", ScrambleSchemaText("S.T.AMOUNT.K,", "krilto", 0x11) + "\r\n");
  WriteBytes(dir / "shop.sql", "CREATE TABLE shelf (id int PRIMARY KEY);\nCREATE TABLE item (shelf int REFERENCES shelf);\n");
  const RunResult run = Quorvane({"--import-schema=Invoice.SFD", "--import-schema=Payment", "--import-schema=shop.sql",
                                  "--arrange", "--export=out.ERD", "orders.ERD"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "quorvane: Imported 2 tables with 2 columns and 1 relation from \"" + (dir / "shop.sql").string() +
                         "\" onto the page \"shop\".\n");
  const std::string out = ReadBytes(dir / "out.ERD");
  const size_t invoice = out.find("  DESC=Invoice\r\n");
  const size_t payment = out.find("  DESC=Payment\r\n");
  ASSERT_NE(invoice, std::string::npos) << out;
  ASSERT_NE(payment, std::string::npos) << out;
  EXPECT_LT(invoice, payment);
  EXPECT_NE(out.find("   DESC=NUMBER\r\n"), std::string::npos);
  EXPECT_NE(out.find("   DESC=AMOUNT\r\n"), std::string::npos);
  EXPECT_NE(out.find("   DESC=id\r\n   DATATYPE=Integer\r\n   PRIMARYKEY=TRUE\r\n   NOTNULL=TRUE\r\n"), std::string::npos) << out;
  EXPECT_NE(out.find("  DESC=item_shelf_fkey\r\n"), std::string::npos) << out;
}

TEST_F(CommandLine, ErrorsGiveOneLineStatusOneAndNoOutput) {
  WriteBytes(dir / "orders.ERD", kOrders);
  WriteBytes(dir / "twice.ERD", "@ERDIAGRAM\r\n@ERDIAGRAM\r\n#ERDIAGRAM\r\n");
  WriteBytes(dir / "badname.ERD", "@ERDIAGRAM\r\n ACTIVEPAGE=P\r\n @ENTITY\r\n  NAME=Order Lines\r\n #ENTITY\r\n#ERDIAGRAM\r\n");
  WriteBytes(dir / "empty.SFD", "");
  WriteBytes(dir / "notes.txt", "Shopping\r\n milk=2\r\n");
  WriteBytes(dir / "empty.ERD", "");
  WriteBytes(dir / "views.sql", "CREATE VIEW v AS SELECT 1;\nFROBNICATE v;\n");
  WriteBytes(dir / "broken.db", std::string("SQLite format 3\0", 16) + std::string(200, 'x'));
  fs::create_directories(dir / "folder.ERD");
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  } cases[] = {
      {{"--export=out.ERD", "missing.ERD"}, "Cannot open file \"" + (dir / "missing.ERD").string() + "\". No such file or directory"},
      {{"--export=out.ERD", "folder.ERD"}, "Is a directory"},
      {{"--export=out.ERD", "twice.ERD"}, "File Format Error !! When Init Diagram !! "},
      // Not one line of a diagram: refused, not read as an empty diagram that asks for a page.
      {{"--export=out.ERD", "notes.txt"}, "The file \"" + (dir / "notes.txt").string() + "\" is not a diagram file"},
      {{"--export=out.ERD", "empty.ERD"}, "The file \"" + (dir / "empty.ERD").string() + "\" is not a diagram file"},
      {{"--export=out.ERD", "badname.ERD"}, "''Order Lines'' is not a valid component name"},
      {{"--export=out.ERD", "--page=Summary", "orders.ERD"}, "The diagram has no page \"Summary\""},
      {{"--export=out.ERD", "--import-schema=empty.SFD", "orders.ERD"}, "List index out of bounds (0)"},
      {{"--export=out.ERD", "--import-schema=views.sql"}, "No table was found in \"" + (dir / "views.sql").string() +
                                                              "\". 1 statement was not understood, the first at line 2."},
      {{"--export=out.ERD", "--import-schema=broken.db"}, "Cannot read the SQLite database"},
      {{"--export=out.ERD", "--import-schema=postgresql:///none?host=/no/such/folder"},
       "Cannot connect to the PostgreSQL database"},
      {{"--export=no/such/folder/out.ERD", "orders.ERD"}, "Cannot create file"},
      {{"--export=out.txt2", "orders.ERD"}, "must end in .ERD, .bmp, .png, .svg, .pdf, "},
      {{"--export=out.sql", "--sql-dialect=oracle", "orders.ERD"}, "unknown SQL dialect \"oracle\""},
      {{"--export=out.ERD", "--sql-dialect=mysql", "orders.ERD"}, "--sql-dialect applies to .sql scripts only"},
      {{"--sql-dialect=mysql", "orders.ERD"}, "--sql-dialect needs --export=OUT.sql"},
      {{"--export=out.svg", "--scale=2", "orders.ERD"}, "--scale applies to .png pictures only"},
      {{"--export=out.png", "--scale=0", "orders.ERD"}, "--scale takes a whole number from 1 to 4, not \"0\""},
      {{"--export=out.png", "--scale=22", "orders.ERD"}, "not \"22\""},
      {{"--scale=2", "orders.ERD"}, "--scale needs --export=OUT.png"},
      {{"--export=%p.sql", "--all-pages", "orders.ERD"}, "the SQL script holds every entity"},
      {{"--export=out.md", "--all-pages", "orders.ERD"}, "--all-pages writes pictures; the documentation holds every page"},
      {{"--export=no/such/folder/out.pdf", "orders.ERD"}, "Cannot create file"},
      {{"--export=out.png", "--all-pages", "orders.ERD"}, "the file name must hold %p"},
      {{"--export=out.ERD", "--all-pages", "orders.ERD"}, "--all-pages writes pictures"},
      {{"--all-pages", "orders.ERD"}, "--all-pages needs --export=OUT"},
      {{"--export=%p.png", "--all-pages", "--page=Summary", "orders.ERD"}, "cannot be given together"},
      {{"--export=out.ERD", "--bogus"}, "unknown option --bogus"},
      {{"--export=out.ERD", "a.ERD", "b.ERD"}, "more than one diagram file"},
  };
  for (const auto& c : cases) {
    const RunResult run = Quorvane(c.arguments);
    EXPECT_EQ(run.status, 1) << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_FALSE(fs::exists(dir / "out.ERD")) << c.message;
  }
}

TEST_F(CommandLine, AFailedExportLeavesAnExistingFileAlone) {
  WriteBytes(dir / "orders.ERD", kOrders);
  for (const char* name : {"out.ERD", "out.bmp", "out.sql"}) {
    WriteBytes(dir / name, "old contents");
    const RunResult run = Quorvane({std::string("--export=") + name, "--page=Nope", "orders.ERD"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(ReadBytes(dir / name), "old contents");
  }
}

// --export=OUT.sql writes the model in the dialect asked for (letter case ignored), PostgreSQL's by default.
TEST_F(CommandLine, ExportsTheModelAsAnSqlScriptInTheDialectAsked) {
  WriteBytes(dir / "orders.ERD", kOrders);
  for (const auto& [dialect, start] : {std::pair{"--page=NewPage1", "a PostgreSQL"}, {"--sql-dialect=MySQL", "a MySQL"}}) {
    EXPECT_EQ(Quorvane({"--export=out.sql", dialect, "orders.ERD"}).status, 0);
    EXPECT_TRUE(ReadBytes(dir / "out.sql").starts_with("-- The diagram \"Orders\" as " + std::string(start) + " script.\n"));
  }
}

TEST_F(CommandLine, TheEditorNeedsADisplay) {
  const RunResult run = Quorvane({}, "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("--export"), std::string::npos);
  const RunResult unreachable = Quorvane({}, "env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_SESSION_TYPE DISPLAY=:65000");
  EXPECT_EQ(unreachable.status, 1) << "a display that cannot be reached fails, not aborts: " << unreachable.err;
}

// A diagram to open and no display to show it on: the diagram is read and described instead, and a
// diagram that cannot be read fails as an export would, touching nothing.
TEST_F(CommandLine, WithoutADisplayADiagramIsReadAndDescribed) {
  const std::string noDisplay = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM";
  WriteBytes(dir / "orders.ERD", kOrders);
  RunResult run = Quorvane({"orders.ERD"}, noDisplay);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.substr(0, run.out.find('\n')),
            "orders.ERD: diagram \"Orders\"; 2 pages: \"NewPage1\" (active), \"Detail\"; 2 entities, 3 rows, "
            "1 relation, 0 events");
  EXPECT_NE(run.out.find("--export=OUT"), std::string::npos);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(ReadBytes(dir / "orders.ERD"), kOrders);

  // A byte-order mark goes, whatever the rest: here UTF-8 with one Windows-1252 byte.
  WriteBytes(dir / "marked.ERD", "\xEF\xBB\xBF@ERDIAGRAM\r\n DIAGRAMNAME=Caf\xC3\xA9 \xE9\r\n OWNPAGE=P\r\n"
                                " ACTIVEPAGE=P\r\n#ERDIAGRAM\r\n");
  run = Quorvane({"marked.ERD"}, noDisplay);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.substr(0, run.out.find('\n')),
            "marked.ERD: diagram \"Caf\xC3\xA9 \xC3\xA9\"; 1 page: \"P\" (active); 0 entities, 0 rows, 0 relations, 0 events");

  run = Quorvane({"--page=detail", "orders.ERD"}, noDisplay);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("\"NewPage1\", \"Detail\" (active)"), std::string::npos) << run.out;

  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"missing.ERD"}, std::vector<std::string>{"--page=Nope", "orders.ERD"}}) {
    run = Quorvane(arguments, noDisplay);
    EXPECT_EQ(run.status, 1) << arguments.back();
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
}

// --diff: the same files exit 0 in silence, different ones 1 with their lines, and a file that cannot
// be compared 2 with one line; as git's diff driver (set up as the README shows) in a real repository.
TEST_F(CommandLine, DiffComparesTwoDiagramsAndServesGit) {
  WriteBytes(dir / "orders.ERD", kOrders);
  std::string client = kOrders;
  client.replace(client.find("=Customer\r"), 9, "=Client");
  WriteBytes(dir / "client.ERD", client);
  WriteBytes(dir / "cut.ERD", kOrders.substr(0, kOrders.find("#ERDIAGRAM")));
  WriteBytes(dir / "twice.ERD", "@ERDIAGRAM\r\n@ERDIAGRAM\r\n#ERDIAGRAM\r\n");
  WriteBytes(dir / "notes.txt", "Shopping\r\n");
  RunResult run = Quorvane({"--diff", "orders.ERD", "orders.ERD"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out + run.err, "");
  run = Quorvane({"--diff", "orders.ERD", "client.ERD"}, "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM");
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(run.out, "# model\nrenamed entity Entity1 \"Customer\" -> \"Client\"\n");
  const std::pair<std::vector<std::string>, std::string> failures[] = {
      {{"--diff", "orders.ERD", "missing.ERD"}, "No such file or directory"},
      {{"--diff", "notes.txt", "orders.ERD"}, "is not a diagram file"},
      {{"--diff", "orders.ERD", "twice.ERD"}, "twice.ERD\" cannot be read whole: File Format Error !! When Init Diagram"},
      {{"--diff", "cut.ERD", "orders.ERD"}, "ends before its last line"},
      {{"--diff", "orders.ERD"}, "--diff needs two diagram files"},
      {{"--export=out.ERD", "--diff", "orders.ERD", "client.ERD"}, "--diff cannot be combined with --export=out.ERD"},
  };
  for (const auto& [arguments, message] : failures) {
    run = Quorvane(arguments);
    EXPECT_EQ(run.status, 2) << message;
    EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
  const std::string inRepo = "cd " + Quote(dir.string()) + " && git init -q && git config user.name t && git config "
                             "user.email t@t && git config diff.quorvane.command " + Quote(Quote(QUORVANE_BINARY) + " --diff");
  ASSERT_EQ(std::system((inRepo + " && echo '*.ERD diff=quorvane' > .gitattributes && git add . && git commit -qm 1").c_str()), 0);
  fs::copy_file(dir / "client.ERD", dir / "orders.ERD", fs::copy_options::overwrite_existing);
  fs::copy_file(dir / "client.ERD", dir / "added.ERD");
  ASSERT_EQ(std::system(("cd " + Quote(dir.string()) + " && git add added.ERD && git diff HEAD > diff.txt").c_str()), 0);
  const std::string diff = ReadBytes(dir / "diff.txt");
  EXPECT_NE(diff.find("# diff added.ERD\n# model\nrenamed diagram \"\" -> \"Orders\"\nadded page \"NewPage1\"\n"), std::string::npos) << diff;
  EXPECT_NE(diff.find("# diff orders.ERD\n# model\nrenamed entity Entity1 \"Customer\" -> \"Client\"\n"), std::string::npos) << diff;
}
