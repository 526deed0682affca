// The two pictures of the program, drawn in the repository as XPM text.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace pbx::app {

// 32 x 32, 16 colours: a red heart on a grey square. The application icon.
QPixmap HeartPicture();
QIcon HeartIcon();
// 16 x 16 open yellow folder; its background is transparent.
QPixmap FolderPicture();

}  // namespace pbx::app
