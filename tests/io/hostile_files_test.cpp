// Hostile files: huge lines, huge counts, bytes that are not text, numbers past 32 bits, endless
// names, folders and unreadable files. Each load runs in a child process, so that its peak memory
// can be measured on its own and a hang or a crash fails the test instead of ending the run; the
// child reports what the load left, and the diagram must still draw and save afterwards.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "canvas.h"
#include "diagram_clipboard.h"
#include "diagram_file_reader.h"
#include "diagram_file_writer.h"
#include "entity.h"
#include "file_access.h"
#include "io_test_support.h"
#include "method.h"
#include "ooa_panel.h"
#include "platform.h"
#include "quiet_platform.h"
#include "property.h"
#include "relation.h"
#include "schema_import.h"
#include "scripted_platform.h"
#include "text.h"
#include "toolkit_error.h"

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
#define QUORVANE_HOSTILE_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUORVANE_HOSTILE_ASAN 1
#endif
#endif

#ifdef QUORVANE_HOSTILE_ASAN
extern "C" int __lsan_do_recoverable_leak_check();
#endif

namespace {
constexpr long long kMiB = 1024 * 1024;
#ifdef QUORVANE_HOSTILE_ASAN
constexpr bool kAsan = true;
// AddressSanitizer holds up to 256 MiB of freed memory back from reuse, to catch late uses.
constexpr long long kAllowanceKiB = (256 + 64) * 1024;
#else
constexpr bool kAsan = false;
// The allocator's own arenas, the test framework and the program's code.
constexpr long long kAllowanceKiB = 48 * 1024;
#endif
// Each load takes about a second, the 100 MB ones a few (three times that under AddressSanitizer);
// one that takes far longer does work that grows faster than the file. Past the child's alarm, it
// is a hang.
constexpr double kSlowdown = kAsan ? 3 : 1;
constexpr unsigned kChildSeconds = 120;

long long StatusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(field, 0) == 0) return std::stoll(line.substr(line.find(':') + 1));
  return 0;
}

struct TChildRun {
  bool Finished = false;  // exited by itself, not killed by a signal or the time limit
  std::string Report;
  long long PeakGrowthKiB = 0;
  double Seconds = 0;
  // Time spent computing, without the waits for the disk that saving a large file makes.
  double CpuSeconds = 0;
};

// Runs the work in a forked child and hands back the text it returns, with how far the child's
// resident memory rose above where it stood when the work began (its peak, as getrusage reports it).
TChildRun RunInChild(const std::function<std::string()>& work) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) throw std::runtime_error("pipe");
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork");
  if (pid == 0) {
    ::close(pipeFds[0]);
    ::alarm(kChildSeconds);
    const long long startKiB = StatusKiB("VmRSS:");
    const auto start = std::chrono::steady_clock::now();
    std::string report;
    try {
      report = work();
    } catch (const std::exception& error) {
      report = std::string("uncaught: ") + error.what();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    const double cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec) + usage.ru_utime.tv_usec / 1e6;
#ifdef QUORVANE_HOSTILE_ASAN
    if (__lsan_do_recoverable_leak_check() != 0) report += "\nleaks found";
#endif
    std::ostringstream out;
    out << (usage.ru_maxrss - startKiB) << " " << seconds << " " << cpuSeconds << "\n" << report;
    const std::string text = out.str();
    for (size_t done = 0; done < text.size();) {
      const ssize_t n = ::write(pipeFds[1], text.data() + done, text.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    ::_exit(0);
  }
  ::close(pipeFds[1]);
  std::string text;
  char buffer[65536];
  for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) != 0;) {
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    text.append(buffer, static_cast<size_t>(n));
  }
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  TChildRun run;
  run.Finished = WIFEXITED(status) && WEXITSTATUS(status) == 0 && !text.empty();
  std::istringstream in(text);
  in >> run.PeakGrowthKiB >> run.Seconds >> run.CpuSeconds;
  in.get();
  run.Report.assign(std::istreambuf_iterator<char>(in), {});
  if (WIFSIGNALED(status)) run.Report += "\nkilled by signal " + std::to_string(WTERMSIG(status));
  return run;
}

// The platform a hostile load runs on: the quiet platform (proposals for input boxes, No for
// questions, preselections for choices, a canvas that measures without keeping anything), with
// every question counted and every message and error kept to be reported.
class TReportingPlatform : public QuietPlatform {
 public:
  std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& defaultValue) override {
    ++Questions;
    return QuietPlatform::InputBox(caption, prompt, defaultValue);
  }
  bool AskYesNo(const std::string& caption, const std::string& question) override {
    ++Questions;
    return QuietPlatform::AskYesNo(caption, question);
  }
  void ShowMessage(const std::string& text) override { Shown += "message: " + text + "\n"; }
  void ShowError(const std::string& text) override { Shown += "error: " + text + "\n"; }

  int Questions = 0;
  std::string Shown;
};

size_t RowCount(const TOOAPanel& panel) {
  size_t rows = 0;
  for (const auto& entity : panel.Entities()) rows += entity->PropertyList().size() + entity->MethodList().size();
  return rows;
}

// What a load left, shortened so that a report stays small whatever the file: counts, the first
// entity's description length and the errors. Then the diagram is drawn and saved, as proof that it
// is still usable, and the saved file's size is part of the report.
std::string LoadDrawAndSave(const std::string& fileName, const std::string& saveName) {
  TReportingPlatform platform;
  TOOAPanel panel(platform);
  panel.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
  std::string raised;
  try {
    LoadDiagramFile(panel, fileName);
  } catch (const EToolkitError& error) {
    raised = error.what();
  }
  std::ostringstream out;
  out << "entities " << panel.Entities().size() << ", rows " << RowCount(panel) << ", pages "
      << panel.OwnPageList().size() << ", active \"" << panel.ActivePageName().substr(0, 40) << "\"";
  if (!panel.Entities().empty()) out << ", first desc " << panel.Entities().front()->EntityDesc().size() << " bytes";
  if (!raised.empty()) out << "\nraised: " << raised.substr(0, 200) << (raised.size() > 200 ? "..." : "");
  if (!platform.Shown.empty()) out << "\n" << platform.Shown;
  if (platform.Questions != 0) out << "\nquestions " << platform.Questions;
  QuietCanvas canvas;
  panel.DrawToCanvas(canvas);
  SaveDiagramFile(panel, saveName);
  struct stat info {};
  ::stat(DiagramFileName(saveName).c_str(), &info);
  // Loading the saved file clears the whole diagram first, then must give the same file again.
  LoadDiagramFile(panel, DiagramFileName(saveName));
  const bool same = static_cast<long long>(DiagramFileText(panel).size()) == static_cast<long long>(info.st_size);
  out << "\nsaved " << info.st_size << " bytes" << (same ? "" : ", read back different");
  return out.str();
}

// Writes a file piece by piece, so that making a 100 MB file never holds it in memory.
class TFileMaker {
 public:
  explicit TFileMaker(const std::string& name) : out_(name, std::ios::binary | std::ios::trunc) {}
  TFileMaker& operator<<(std::string_view text) {
    out_.write(text.data(), static_cast<std::streamsize>(text.size()));
    return *this;
  }
  TFileMaker& Repeat(std::string_view text, long long times) {
    for (long long i = 0; i < times; ++i) *this << text;
    return *this;
  }

 private:
  std::ofstream out_;
};

// The generated files live for the whole run: made once, whatever number of tests use them.
const TTempFolder& Folder() {
  static const TTempFolder folder;
  return folder;
}

const std::string& MadeFile(const std::string& name, const std::function<void(TFileMaker&)>& make) {
  static std::map<std::string, std::string> made;
  auto it = made.find(name);
  if (it == made.end()) {
    const std::string path = Folder() / name;
    {
      TFileMaker maker(path);
      make(maker);
    }
    it = made.emplace(name, path).first;
  }
  return it->second;
}

long long FileSize(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}

// What one entity and one property row may cost: the objects, their names and entries, and their
// popup menus of 20 and 12 items, which make most of it. A file makes one of them from 16 and 10
// bytes ("@ENTITY", "#ENTITY" and "@PROPERTY" lines), so for such files memory follows the number of
// objects rather than the number of bytes. AddressSanitizer pads every allocation.
constexpr int kEntityBytes = kAsan ? 8192 : 4096;
constexpr int kRowBytes = kAsan ? 6144 : 3072;

constexpr std::string_view kHeader = "@ERDIAGRAM\r\n DIAGRAMNAME=Hostile\r\n OWNPAGE=P1\r\n ACTIVEPAGE=P1\r\n";

struct THostileCase {
  const char* name;
  std::function<void(TFileMaker&)> make;
  std::string report;      // LoadDrawAndSave's report, up to the saved size
  int memoryFactor;        // peak memory may grow by this many times the file's size, beyond the allowance,
  long long objects = 0;   // and by this many entities or rows,
  int bytesPerObject = 0;  // each of this size at most (its popup menu makes most of it)
  double seconds = 10;     // loading, drawing, saving and reading back compute for less (times kSlowdown)
};

void CheckHostileLoad(const THostileCase& c) {
  const std::string& file = MadeFile(std::string(c.name) + ".ERD", c.make);
  const long long size = FileSize(file);
  const TChildRun run =
      RunInChild([&] { return LoadDrawAndSave(file, Folder() / (std::string(c.name) + "_saved.ERD")); });
  ASSERT_TRUE(run.Finished) << c.name << " did not finish:\n" << run.Report;
  const size_t saved = run.Report.rfind("\nsaved ");
  EXPECT_EQ(run.Report.substr(0, saved), c.report) << c.name;
  EXPECT_EQ(run.Report.find("leaks found"), std::string::npos) << c.name;
  const long long boundKiB = (c.memoryFactor * size + c.objects * c.bytesPerObject) / 1024 + kAllowanceKiB;
  EXPECT_LE(run.PeakGrowthKiB, boundKiB) << c.name << ": file " << size << " bytes";
  EXPECT_LT(run.CpuSeconds, c.seconds * kSlowdown) << c.name;
  std::printf("[ measured ] %s: file %lld bytes, %.2f s (%.2f s computing), peak memory +%lld KiB (bound %lld KiB)\n",
              c.name, size, run.Seconds, run.CpuSeconds, run.PeakGrowthKiB, boundKiB);
}

std::string Digits(long long n) { return std::to_string(n); }
}  // namespace

TEST(HostileFiles, HugeLinesAndCounts) {
  const THostileCase cases[] = {
      {"line_of_100_mb_without_end",
       [](TFileMaker& f) {
         f << "@ERDIAGRAM\r\n";
         f.Repeat(std::string(1 << 20, 'x'), 100);
       },
       "entities 0, rows 0, pages 0, active \"\"", 3, 0, 0, 30},
      {"description_of_100_mb",
       [](TFileMaker& f) {
         f << kHeader << " @ENTITY\r\n  DESC=";
         f.Repeat(std::string(1 << 20, 'd'), 100);
         f << "\r\n #ENTITY\r\n#ERDIAGRAM\r\n";
       },
       "entities 1, rows 0, pages 1, active \"P1\", first desc 104857600 bytes", 6, 0, 0, 30},
      {"million_lines_cr_only",
       [](TFileMaker& f) {
         f << "@ERDIAGRAM\r DIAGRAMNAME=Pages\r";
         for (int i = 1; i <= 1'000'000; ++i) f << " OWNPAGE=Page" << Digits(i) << "\r";
         f << " ACTIVEPAGE=Page500000\r#ERDIAGRAM\r";
       },
       "entities 0, rows 0, pages 1000000, active \"Page500000\"", 8},
      {"entity_markers_100000_pairs",
       [](TFileMaker& f) {
         f << kHeader;
         f.Repeat("@ENTITY\n#ENTITY\n", 100'000);
         f << "#ERDIAGRAM\n";
       },
       "entities 100000, rows 0, pages 1, active \"P1\", first desc 9 bytes", 1, 100'000, kEntityBytes},
      // Every row's and box's menu header names its entity: a long description must not be copied
      // into each of them in full.
      {"description_of_1_mb_with_1000_rows_and_1000_relations",
       [](TFileMaker& f) {
         f << kHeader << " @ENTITY\r\n  NAME=Long\r\n  DESC=";
         f.Repeat(std::string(1024, 'd'), 1024);
         f << "\r\n  DISPLAYPAGE=P1 @10,10\r\n";
         f.Repeat("  @PROPERTY\r\n  #PROPERTY\r\n", 1000);
         f << " #ENTITY\r\n";
         f.Repeat("  @RELATION\r\n   RELOWNERENTITY=Long\r\n   DISPLAYPAGE=P1 @300,10\r\n  #RELATION\r\n", 1000);
         f << "#ERDIAGRAM\r\n";
       },
       "entities 1, rows 1000, pages 1, active \"P1\", first desc 1048576 bytes", 8},
      // Names are not unique: a file may give thousands of objects one name, look that name up
      // after each of them, or take the very names new objects would be given.
      {"entities_100000_of_one_name",
       [](TFileMaker& f) {
         f << kHeader;
         f.Repeat("@ENTITY\nNAME=Same\n#ENTITY\n", 100'000);
         f << "#ERDIAGRAM\n";
       },
       "entities 100000, rows 0, pages 1, active \"P1\", first desc 9 bytes", 1, 100'000, kEntityBytes},
      {"rows_200000_of_one_name",
       [](TFileMaker& f) {
         f << kHeader << "@ENTITY\n";
         f.Repeat("@PROPERTY\nNAME=Same\n", 200'000);
         f << "#ENTITY\n#ERDIAGRAM\n";
       },
       "entities 1, rows 200000, pages 1, active \"P1\", first desc 9 bytes", 1, 200'000, kRowBytes},
      {"lookups_50000_of_a_name_50000_rows_share",
       [](TFileMaker& f) {
         f << kHeader << "@ENTITY\nNAME=A\n";
         f.Repeat("@PROPERTY\nNAME=S\n", 50'000);
         f << "#ENTITY\n";
         f.Repeat("@RELATION\nRELOWNERENTITY=A\nSOURCEENTITY=A\nSOURCEPROPERTY=S\n#RELATION\n", 50'000);
         f << "#ERDIAGRAM\n";
       },
       "entities 1, rows 50000, pages 1, active \"P1\", first desc 9 bytes", 1, 100'000, kRowBytes},
      {"names_taking_the_numbers_of_new_rows",
       [](TFileMaker& f) {
         f << kHeader << "@ENTITY\nNAME=A\n";
         for (int i = 1; i <= 50'000; ++i) f << "@PROPERTY\nNAME=A_Prop" << Digits(50'000 + i) << "\n";
         f.Repeat("@PROPERTY\n", 50'000);
         f << "#ENTITY\n#ERDIAGRAM\n";
       },
       "entities 1, rows 100000, pages 1, active \"P1\", first desc 9 bytes", 1, 100'000, kRowBytes},
      {"names_taking_the_numbers_of_new_entities",
       [](TFileMaker& f) {
         f << kHeader;
         for (int i = 1; i <= 50'000; ++i) f << "@ENTITY\nNAME=Entity" << Digits(50'000 + i) << "\n#ENTITY\n";
         f.Repeat("@ENTITY\n#ENTITY\n", 50'000);
         f << "#ERDIAGRAM\n";
       },
       "entities 100000, rows 0, pages 1, active \"P1\", first desc 9 bytes", 1, 100'000, kEntityBytes},
      {"property_markers_100000_in_one_entity",
       [](TFileMaker& f) {
         f << kHeader << "@ENTITY\n";
         f.Repeat("@PROPERTY\n", 100'000);
         f << "#ENTITY\n#ERDIAGRAM\n";
       },
       "entities 1, rows 100000, pages 1, active \"P1\", first desc 9 bytes", 1, 100'000, kRowBytes},
  };
  for (const auto& c : cases) CheckHostileLoad(c);
}

// Bytes that are not text: NUL bytes count as blanks at the ends of a line and are kept inside a
// value; a file that is not UTF-8 is read byte by byte as Windows-1252, whatever the bytes are.
TEST(HostileFiles, BytesThatAreNotText) {
  const TTempFolder folder;
  struct Case {
    const char* name;
    std::string file;
    std::string diagramName;
    std::string desc;
  };
  const std::string nul(1, '\0');
  const Case cases[] = {
      {"NUL bytes",
       "@ERDIAGRAM" + nul + "\r\n DIAGRAMNAME=A" + nul + "B\r\n" + nul + nul + nul +
           "\r\n OWNPAGE=P\r\n ACTIVEPAGE=P\r\n" + nul + " @ENTITY\r\n  DESC=x" + nul + "y" + nul +
           "\r\n #ENTITY\r\n#ERDIAGRAM\r\n",
       "A" + nul + "B", "x" + nul + "y"},
      {"invalid UTF-8",
       "@ERDIAGRAM\r\n DIAGRAMNAME=Caf\xE9\r\n OWNPAGE=P\r\n ACTIVEPAGE=P\r\n @ENTITY\r\n"
       "  DESC=\x80 \x81 \xC0\xAF \xED\xA0\x80 \xF4\x90 \xC3\r\n #ENTITY\r\n#ERDIAGRAM\r\n",
       "Caf\u00E9", "\u20AC \u0081 \u00C0\u00AF \u00ED\u00A0\u20AC \u00F4\u0090 \u00C3"},
  };
  for (const auto& c : cases) {
    ScriptedPlatform platform;
    TOOAPanel panel(platform);
    LoadDiagramText(panel, c.file);
    EXPECT_EQ(panel.DiagramName(), c.diagramName) << c.name;
    ASSERT_EQ(panel.Entities().size(), 1u) << c.name;
    EXPECT_EQ(panel.Entities()[0]->EntityDesc(), c.desc) << c.name;
    EXPECT_TRUE(platform.Calls.empty()) << c.name;
    // Saved as UTF-8, it reads back the same.
    SaveDiagramFile(panel, folder / "Saved");
    TOOAPanel again(platform);
    LoadDiagramFile(again, folder / "Saved.ERD");
    EXPECT_EQ(DescribeDiagram(again), DescribeDiagram(panel)) << c.name;
    // Pasted as clipboard text, the same: the entity comes again beside the one there, asking nothing.
    ASSERT_TRUE(PasteCommand(panel, c.file, {0, 0})) << c.name;
    ASSERT_EQ(panel.Entities().size(), 2u) << c.name;
    EXPECT_EQ(panel.Entities()[1]->EntityDesc(), c.desc) << c.name;
    EXPECT_TRUE(platform.Calls.empty()) << c.name;
  }
}

// Numbers the rules read as integers only within 32 bits; beyond, the key's default (60 for an
// entity, 160 for a box, 0 in a placement entry). Numbers within 32 bits but far past the surface
// are held at 2^28, where the sums drawing makes of them still fit.
TEST(HostileFiles, NumbersBeyond32Bits) {
  const TTempFolder folder;
  const std::string file = std::string(kHeader) +
                           " OWNPAGE=P2\r\n"
                           " @ENTITY\r\n  NAME=Default\r\n  TOP=99999999999\r\n  LEFT=-2147483649\r\n #ENTITY\r\n"
                           " @ENTITY\r\n  NAME=Edge\r\n  TOP=2147483647\r\n  LEFT=-2147483648\r\n #ENTITY\r\n"
                           " @ENTITY\r\n  NAME=Entry\r\n  DISPLAYPAGE=P1 @99999999999,5\r\n #ENTITY\r\n"
                           " @ENTITY\r\n  NAME=Far\r\n  DISPLAYPAGE=P1 @2147483647,2147483647\r\n"
                           "  @PROPERTY\r\n   NAME=Row\r\n  #PROPERTY\r\n #ENTITY\r\n"
                           "  @RELATION\r\n   RELOWNERENTITY=Far\r\n   NAME=Off\r\n   TOP=4294967296\r\n"
                           "   LEFT=-4294967296\r\n   DISPLAYPAGE=P2 @1,1\r\n  #RELATION\r\n"
                           "  @RELATION\r\n   RELOWNERENTITY=Far\r\n   NAME=Huge\r\n   SOURCEENTITY=Far\r\n"
                           "   SOURCEPROPERTY=Row\r\n   DISPLAYPAGE=P1 @2147483647,-2147483648\r\n  #RELATION\r\n"
                           "#ERDIAGRAM\r\n";
  ScriptedPlatform platform;
  TOOAPanel panel(platform);
  panel.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
  LoadDiagramText(panel, file);
  EXPECT_TRUE(platform.Calls.empty());
  EXPECT_EQ(DescribeDiagram(panel),
            "diagram \"Hostile\" pages [P1|P2] active \"P1\"\n"
            "  entity Default \"NEWEntity\" Organization [P1 @60,60]\n"
            "  entity Edge \"NEWEntity\" Organization [P1 @-268435456,268435456]\n"
            "  entity Entry \"NEWEntity\" Organization [P1 @99999999999,5]\n"
            "  entity Far \"NEWEntity\" Organization [P1 @2147483647,2147483647]\n"
            "    property Row \"NEWProperty\"\n"
            "    relation Off \"NEWRelation\" at 160,160 - > - [P2 @1,1]\n"
            "    relation Huge \"NEWRelation\" at 268435456,-268435456 Far.Row > - [P1 @2147483647,-2147483648]\n");
  const TEntity& entry = *panel.Entities()[2];
  EXPECT_EQ(entry.Left(), 0);
  EXPECT_EQ(entry.Top(), 5);
  const TEntity& far = *panel.Entities()[3];
  EXPECT_EQ(far.Left(), 268435456);
  EXPECT_EQ(far.Top(), 268435456);
  // Edges and anchor points come out where they are, not wrapped round to the other side.
  const TLinkBox& huge = *far.RelationList()[1].Object;
  EXPECT_GT(huge.Anchors().RightX, huge.Left());
  EXPECT_GT(huge.Anchors().CentreX, huge.Left());
  EXPECT_GT(far.BoundsRect().Right, far.Left());
  EXPECT_GT(far.BoundsRect().Bottom, far.Top());
  QuietCanvas canvas;
  panel.DrawToCanvas(canvas);
  SaveDiagramFile(panel, folder / "Numbers");
  const std::string saved = ReadBytes(folder / "Numbers.ERD");
  EXPECT_NE(saved.find("   TOP=160\r\n   LEFT=160\r\n"), std::string::npos);
  EXPECT_NE(saved.find("  DISPLAYPAGE=P1 @2147483647,2147483647\r\n"), std::string::npos) << "entries are kept as read";
}

// Names are identifiers of any length: 10,000 characters link as well as short ones, and an invalid
// one of that length ends the reading with the name error, quoting it whole.
TEST(HostileFiles, NamesOfTenThousandCharacters) {
  const TTempFolder folder;
  const std::string entityName = "E" + std::string(9999, 'n');
  const std::string rowName = "P" + std::string(9999, 'r');
  const std::string boxName = "R" + std::string(9999, 'b');
  const std::string file =
      std::string(kHeader) + " @ENTITY\r\n  NAME=" + entityName + "\r\n  DESC=" + std::string(10000, 'd') +
      "\r\n  DISPLAYPAGE=P1 @10,10\r\n  @PROPERTY\r\n   NAME=" + rowName +
      "\r\n  #PROPERTY\r\n #ENTITY\r\n  @RELATION\r\n   RELOWNERENTITY=" + entityName + "\r\n   NAME=" + boxName +
      "\r\n   SOURCEENTITY=" + entityName + "\r\n   SOURCEPROPERTY=" + rowName +
      "\r\n   DISPLAYPAGE=P1 @300,10\r\n  #RELATION\r\n#ERDIAGRAM\r\n";
  {
    ScriptedPlatform platform;
    TOOAPanel panel(platform);
    panel.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
    LoadDiagramText(panel, file);
    ASSERT_EQ(panel.Entities().size(), 1u);
    const TEntity& entity = *panel.Entities()[0];
    EXPECT_EQ(entity.Name(), entityName);
    ASSERT_EQ(entity.RelationList().size(), 1u);
    const TLinkBox& box = *entity.RelationList()[0].Object;
    EXPECT_EQ(box.Name(), boxName);
    EXPECT_EQ(box.SourceEntity(), &entity);
    ASSERT_NE(box.SourceRow(), nullptr);
    EXPECT_EQ(box.SourceRow()->Name(), rowName);
    EXPECT_EQ(panel.EntityByName(UpperCase(entityName)), &entity) << "found without regard to case";
    SaveDiagramFile(panel, folder / "Long");
    TOOAPanel again(platform);
    LoadDiagramFile(again, folder / "Long.ERD");
    EXPECT_EQ(DiagramFileText(again), DiagramFileText(panel));
  }
  {
    const std::string invalid = "9" + std::string(9999, 'x');
    ScriptedPlatform platform;
    TOOAPanel panel(platform);
    std::string error;
    try {
      LoadDiagramText(panel, std::string(kHeader) + " @ENTITY\r\n  NAME=Kept\r\n #ENTITY\r\n @ENTITY\r\n  NAME=" +
                                 invalid + "\r\n #ENTITY\r\n#ERDIAGRAM\r\n");
    } catch (const EToolkitError& e) {
      error = e.what();
    }
    EXPECT_EQ(error, "''" + invalid + "'' is not a valid component name");
    ASSERT_EQ(panel.Entities().size(), 2u) << "what was read before stays";
    EXPECT_EQ(panel.Entities()[0]->Name(), "Kept");
    SaveDiagramFile(panel, folder / "AfterError");
    EXPECT_NE(ReadBytes(folder / "AfterError.ERD").find("  NAME=Kept\r\n"), std::string::npos);
  }
}

// Names that are not plain files: none of them may block the editor or be read, each is refused
// with the file error, and the diagram on the panel stays as it was and can still be saved.
TEST(HostileFiles, NamesThatAreNotReadableFiles) {
  const TTempFolder folder;
  const std::string fifo = folder / "Pipe.ERD";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  const std::string loop = folder / "Loop.ERD";
  fs::create_symlink(loop, loop);
  const std::string dir = folder / "Folder.SFD";
  fs::create_directory(dir);
  const std::string locked = folder / "Locked.SFD";
  WriteBytes(locked, "3C61\r\n");
  fs::permissions(locked, fs::perms::none);
  struct Case {
    const char* name;
    std::string file;
    const char* reason;
  };
  const Case cases[] = {
      {"a named pipe nobody writes to", fifo, "Not a regular file"},
      {"a device without end", "/dev/zero", "Not a regular file"},
      {"a link to itself", loop, "Too many levels of symbolic links"},
      {"a folder", dir, "Is a directory"},
      {"a file without the right to read it", locked, "Permission denied"},
  };
  for (const auto& c : cases) {
    // In a child, so that a reader that did block would fail the test instead of hanging it.
    const TChildRun run = RunInChild([&] {
      ScriptedPlatform platform;
      TOOAPanel panel(platform);
      panel.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
      LoadDiagramText(panel, std::string(kHeader) + " @ENTITY\r\n  NAME=Kept\r\n #ENTITY\r\n#ERDIAGRAM\r\n");
      const std::string before = DiagramFileText(panel);
      std::string out;
      for (int which = 0; which < 2; ++which) {
        try {
          TAsOrdinaryUser user;
          if (which == 0)
            LoadDiagramFile(panel, c.file);
          else
            ImportSchemaFromFile(panel, c.file);
          out += "no error\n";
        } catch (const EToolkitError& error) {
          out += std::string(error.what()) + "\n";
        }
        if (DiagramFileText(panel) != before) out += "the diagram changed\n";
      }
      SaveDiagramFile(panel, folder / "Kept");
      return out;
    });
    ASSERT_TRUE(run.Finished) << c.name << ":\n" << run.Report;
    const std::string error = "Cannot open file \"" + FullFileName(c.file) + "\". " + c.reason + "\n";
    EXPECT_EQ(run.Report, error + error) << c.name;
  }
  EXPECT_NE(ReadBytes(folder / "Kept.ERD").find("NAME=Kept"), std::string::npos);
}

// What the fuzz harnesses and the hostile files above found, each on the smallest file that shows it.

// Found by the diagram reader's harness. A relation's end named a second entity while it still
// held the first entity's row: the box was then linked to a row of an entity that was not its end,
// and the saved file lost the row.
TEST(ReliabilityFindings, AnEndGivenAnotherEntityLetsGoOfTheRowItHad) {
  ScriptedPlatform platform;
  TOOAPanel panel(platform);
  LoadDiagramText(panel, std::string(kHeader) +
                             " @ENTITY\r\n  NAME=A\r\n  @PROPERTY\r\n   NAME=A_P\r\n  #PROPERTY\r\n #ENTITY\r\n"
                             " @ENTITY\r\n  NAME=B\r\n  @PROPERTY\r\n   NAME=B_P\r\n  #PROPERTY\r\n #ENTITY\r\n"
                             "  @RELATION\r\n   RELOWNERENTITY=A\r\n   NAME=R\r\n"
                             "   SOURCEENTITY=A\r\n   SOURCEPROPERTY=A_P\r\n   SOURCEENTITY=B\r\n"
                             "   TARGETENTITY=B\r\n   TARGETPROPERTY=B_P\r\n   TARGETENTITY=B\r\n"
                             "   DISPLAYPAGE=P1 @1,2\r\n  #RELATION\r\n#ERDIAGRAM\r\n");
  const TLinkBox& box = *panel.Entities()[0]->RelationList()[0].Object;
  EXPECT_EQ(box.SourceEntity(), panel.Entities()[1].get());
  EXPECT_EQ(box.SourceRow(), nullptr) << "A_P belongs to A, not to the new source B";
  EXPECT_EQ(box.TargetEntity(), panel.Entities()[1].get());
  ASSERT_NE(box.TargetRow(), nullptr) << "naming the same entity again keeps its row";
  EXPECT_EQ(box.TargetRow()->Name(), "B_P");
  // Saved and read again, the box is the same.
  TOOAPanel again(platform);
  LoadDiagramText(again, DiagramFileText(panel));
  EXPECT_EQ(DiagramFileText(again), DiagramFileText(panel));
}

// Found by the placement-entry harness. An entity whose entry for the active page had no
// coordinates (a bare page name from a hand-made file) lost its page when its rows were hidden: the
// flags became part of the page name.
TEST(ReliabilityFindings, HidingRowsOnAnEntryWithoutCoordinatesKeepsTheEntityOnItsPage) {
  for (const char* entry : {"P1", "P1 @7"}) {
    ScriptedPlatform platform;
    TOOAPanel panel(platform);
    panel.SetBounds(0, 0, TOOAPanel::EditorSurfaceSize, TOOAPanel::EditorSurfaceSize);
    LoadDiagramText(panel,
                    std::string(kHeader) + " @ENTITY\r\n  NAME=A\r\n  DISPLAYPAGE=" + entry +
                        "\r\n  @PROPERTY\r\n  #PROPERTY\r\n  @METHOD\r\n  #METHOD\r\n #ENTITY\r\n#ERDIAGRAM\r\n");
    TEntity& entity = *panel.Entities()[0];
    ASSERT_TRUE(entity.Visible()) << entry;
    entity.HideAllProperty();
    entity.HideAllMethod();
    EXPECT_EQ(entity.ActivePages(), TEntryList{"P1 @0,0,HIDE PROPERTY,HIDE METHOD"}) << entry;
    EXPECT_TRUE(entity.Visible()) << entry;
    EXPECT_FALSE(entity.ShowProperty()) << entry;
    EXPECT_FALSE(entity.ShowMethod()) << entry;
    entity.ShowAllProperty();
    EXPECT_EQ(entity.ActivePages(), TEntryList{"P1 @0,0,HIDE METHOD"}) << entry;
    EXPECT_TRUE(entity.Visible()) << entry;
    EXPECT_TRUE(entity.ShowProperty()) << entry;
  }
}

// Found by the hostile file of a 1 MB description with 2,000 members: every member's menu header
// held the whole description. The headers of rows and boxes show at most 256 characters of their
// entity's description, cut between characters, never inside one.
TEST(ReliabilityFindings, MenuHeadersOfMembersShowTheStartOfALongDescription) {
  struct Case {
    std::string desc;
    std::string shown;
  };
  const std::string e = "\u00E9";  // two bytes in UTF-8
  std::string e256, e300;
  for (int i = 0; i < 256; ++i) e256 += e;
  for (int i = 0; i < 300; ++i) e300 += e;
  const Case cases[] = {
      {"Customer", "Customer"},
      {std::string(256, 'a'), std::string(256, 'a')},
      {std::string(257, 'a'), std::string(256, 'a') + "..."},
      {e256, e256},
      {e300, e256 + "..."},
  };
  for (const auto& c : cases) {
    ScriptedPlatform platform;
    TOOAPanel panel(platform);
    LoadDiagramText(panel, std::string(kHeader) + " @ENTITY\r\n  NAME=A\r\n  DESC=" + c.desc +
                               "\r\n  @PROPERTY\r\n   DESC=Row\r\n  #PROPERTY\r\n #ENTITY\r\n"
                               "  @RELATION\r\n   RELOWNERENTITY=A\r\n   DESC=Box\r\n  #RELATION\r\n#ERDIAGRAM\r\n");
    TEntity& entity = *panel.Entities()[0];
    EXPECT_EQ(entity.Menu().Item(0).Caption(), "ENTITY : " + c.desc) << "the entity's own header is whole";
    EXPECT_EQ(entity.PropertyList()[0].Object->Menu().Item(0).Caption(), "PROPERTY : " + c.shown + " -> Row");
    EXPECT_EQ(entity.RelationList()[0].Object->Menu().Item(0).Caption(), "RELATION : " + c.shown + " -> Box");
  }
}
