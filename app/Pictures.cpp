#include "app/Pictures.h"

#include "app/pictures/folder.xpm"
#include "app/pictures/heart.xpm"

namespace pbx::app {

QPixmap HeartPicture() { return QPixmap(heart_xpm); }

QIcon HeartIcon() { return QIcon(HeartPicture()); }

QPixmap FolderPicture() { return QPixmap(folder_xpm); }

}  // namespace pbx::app
