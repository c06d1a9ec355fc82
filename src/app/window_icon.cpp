#include "window_icon.h"

#include <QImage>
#include <QPainter>
#include <QString>

#include "entity.h"
#include "qt_canvas.h"

const char kApplicationId[] = QUORVANE_APP_ID;

void PaintWindowIcon(QPainter& painter) {
  painter.fillRect(QRect(2, 4, 20, 24), Qt::black);
  painter.fillRect(QRect(3, 5, 18, 22), toQColor(TEntity::Colour));
  painter.fillRect(QRect(6, 8, 12, 2), Qt::black);
  for (const int top : {13, 20}) {
    painter.fillRect(QRect(4, top, 16, 6), toQColor(clrSilver));
    painter.fillRect(QRect(5, top + 1, 14, 4), Qt::white);
  }
  painter.fillRect(QRect(22, 15, 6, 2), toQColor(clrRed));
  painter.fillRect(QRect(27, 6, 2, 11), toQColor(clrRed));
}

QImage WindowIconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  // Drawn for 32 pixels: other sizes are smoothed where edges fall between pixels.
  painter.setRenderHint(QPainter::Antialiasing, size != 32);
  painter.scale(size / 32.0, size / 32.0);
  PaintWindowIcon(painter);
  return image;
}

QIcon WindowIcon() {
  QIcon drawn;
  for (const int size : {16, 32, 48, 128, 256}) drawn.addPixmap(QPixmap::fromImage(WindowIconImage(size)));
  return QIcon::fromTheme(QString::fromLatin1(kApplicationId), drawn);
}
