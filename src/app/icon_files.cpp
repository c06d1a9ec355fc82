// Writes the editor's icon files for the icon theme, drawn by the window's own icon drawing:
//   quorvane_icon_files FOLDER   ->  FOLDER/hicolor/SIZExSIZE/apps/ID.png for every size, and
//                                    FOLDER/hicolor/scalable/apps/ID.svg
#include <QDir>
#include <QPainter>
#include <QSvgGenerator>

#include <cstdio>

#include "window_icon.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: quorvane_icon_files FOLDER\n");
    return 2;
  }
  const QString root = QString::fromLocal8Bit(argv[1]) + QStringLiteral("/hicolor/");
  const QString name = QString::fromLatin1(kApplicationId);
  for (const int size : {16, 32, 48, 128, 256}) {
    const QString folder = root + QStringLiteral("%1x%1/apps").arg(size);
    if (!QDir().mkpath(folder) || !WindowIconImage(size).save(folder + QLatin1Char('/') + name + QStringLiteral(".png"))) {
      std::fprintf(stderr, "quorvane_icon_files: cannot write the %d pixel icon\n", size);
      return 1;
    }
  }
  const QString folder = root + QStringLiteral("scalable/apps");
  if (!QDir().mkpath(folder)) return 1;
  QSvgGenerator generator;
  generator.setFileName(folder + QLatin1Char('/') + name + QStringLiteral(".svg"));
  generator.setSize(QSize(32, 32));
  generator.setViewBox(QRect(0, 0, 32, 32));
  generator.setTitle(QStringLiteral("Quorvane"));
  QPainter painter;
  if (!painter.begin(&generator)) return 1;
  PaintWindowIcon(painter);
  painter.end();
  return 0;
}
