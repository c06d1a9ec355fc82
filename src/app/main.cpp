// Starts the editor, or does the command line's job without a display.
#include <QApplication>

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "command_line.h"
#include "desktop_recent_files.h"
#include "command_line_job.h"
#include "diagram_diff.h"
#include "diagram_host.h"
#include "diagram_status_bar.h"
#include "headless_platform.h"
#include "large_pages.h"
#include "main_window.h"
#include "recent_diagrams.h"
#include "ooa_panel.h"
#include "recovery_keeper.h"
#include "window_icon.h"

namespace {
// The frame of every job without a display: Qt serves only the font metrics and the picture writers,
// on its offscreen platform unless another is asked for, and its own warnings (about a missing
// runtime folder and the like) are kept quiet, for they would break the promise of one clear line on
// standard error.
int RunHeadless(const THeadlessWork& work) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) std::cerr << "quorvane: " << message.toStdString() << '\n';
  });
  int argc = 1;
  char name[] = "quorvane";
  char* argv[] = {name, nullptr};
  QGuiApplication application(argc, argv);
  HeadlessPlatform platform;
  return work(platform);
}

QtMessageHandler qtMessages = nullptr;

// Qt aborts when no platform can show the window (no plugin for the session, a display that cannot
// be reached): its reason goes out as the program's one line, and the program fails without a crash.
void FailOnFatalMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type != QtFatalMsg) {
    if (qtMessages) qtMessages(type, context, message);
    return;
  }
  std::cerr << "quorvane: " << message.toStdString() << '\n';
  std::_Exit(1);
}
}  // namespace

int main(int argc, char* argv[]) {
  UseLargeMemoryPages();
  // The command line is read before Qt starts, so that --help and --export need no display.
  const TCommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (!line.Error.empty()) {
    std::cerr << "quorvane: " << line.Error << '\n';
    return line.Diff ? 2 : 1;
  }
  // Two diagrams read and compared in the core alone: no Qt, no display.
  if (line.Diff) return RunDiff(*line.Diff, std::cout, std::cerr);
  if (line.Help) {
    std::cout << CommandLineUsage();
    return 0;
  }
  if (line.Version) {
    std::cout << VersionLine(QUORVANE_VERSION);
    return 0;
  }
  if (line.Export) return RunExport(line, RunHeadless);

  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
      qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    // A diagram to open but nowhere to show it: it is read and described instead.
    if (line.Diagram || !line.Imports.empty()) return RunWithoutDisplay(line, RunHeadless);
    std::cerr << "quorvane: no display to show the editor on; to work without one, use --export=OUT "
                 "(see --help)\n";
    return 1;
  }
  // In a Wayland session, unless the user chose a platform, Wayland is tried first and X11 after
  // it, whatever Qt's build would pick (its Wayland plugin may be missing, X11 may be there).
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
      (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || qgetenv("XDG_SESSION_TYPE") == "wayland"))
    qputenv("QT_QPA_PLATFORM", "wayland;xcb");
  qtMessages = qInstallMessageHandler(FailOnFatalMessage);
  QApplication application(argc, argv);
  qInstallMessageHandler(qtMessages);
  QGuiApplication::setApplicationName(QStringLiteral("quorvane"));
  QGuiApplication::setApplicationVersion(QStringLiteral(QUORVANE_VERSION));
  // The desktop finds the editor's entry and icon by it.
  QGuiApplication::setDesktopFileName(QString::fromLatin1(kApplicationId));
  // The diagrams opened and saved, the one on the command line too, go first in the menu's list and
  // the desktop's; a list that cannot be written costs a line on standard error, nothing more.
  TRecentDiagrams recent(TRecentDiagrams::DefaultFile());
  const DesktopRecentFiles desktop(DesktopRecentFiles::defaultFile());
  TfMain window;
  KeepRecentDiagrams(
      window.panel(), recent, [&desktop](const std::string& fileName) { desktop.tell(QString::fromStdString(fileName)); },
      [](const std::string& problem) { std::cerr << "quorvane: " << problem << '\n'; });
  window.show();
  window.host().runGuarded([&] { ApplyCommandLine(window.panel(), line); });
  // The diagram opened here took its file outside any step: nothing told the status line.
  window.statusBar().refresh();
  TRecoveryKeeper& recovery = window.keepRecoveryCopies(TRecoveryStore::DefaultFolder());
  // Sources imported at start make a diagram no file holds yet.
  if (!line.Imports.empty()) window.panel().History().MarkUnsaved();
  window.host().runGuarded([&] { recovery.OfferCopies(); });
  window.host().syncSize();
  return application.exec();
}
