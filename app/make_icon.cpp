// Build step: writes the heart picture as the PNG icon that the desktop
// entry names.
#include <QGuiApplication>
#include <QPixmap>

#include "app/pictures/heart.xpm"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  return QPixmap(heart_xpm).save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
