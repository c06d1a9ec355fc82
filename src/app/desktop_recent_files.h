// The desktop's list of recently used files (the freedesktop bookmark file, recently-used.xbel), told
// of every diagram the editor opens or saves, so that the desktop's file choosers and launchers
// offer it too.
#pragma once

#include <QDateTime>
#include <QString>

class DesktopRecentFiles {
 public:
  // $XDG_DATA_HOME/recently-used.xbel, or ~/.local/share/recently-used.xbel.
  static QString defaultFile();

  explicit DesktopRecentFiles(QString xbelFile);

  // Adds the file to the list, or marks it used again: its bookmark's times and this editor's entry
  // (its count) brought up to date, everything else in the file kept as it stands. Only a list the
  // desktop already keeps is changed; one that cannot be read whole is left alone. True when the
  // list was written.
  bool tell(const QString& fileName, const QDateTime& now = QDateTime::currentDateTimeUtc()) const;

 private:
  QString xbelFile_;
};
