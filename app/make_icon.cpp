// Build step: writes the heart picture as the PNG icon that the desktop
// entry names. QImage needs no window system for this.
#include <QImage>
#include <QString>

#include "app/pictures/heart.xpm"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  return QImage(heart_xpm).save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
