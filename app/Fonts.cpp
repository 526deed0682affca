#include "app/Fonts.h"

#include <QStringList>

#include "app/Texts.h"

namespace pbx::app {

QFont DesignFont(int pixel_height) {
  QFont font;
  font.setFamilies({QString::fromUtf8(kDesignFace),
                    QString::fromUtf8(kFallbackFace)});
  font.setPixelSize(pixel_height);
  return font;
}

}  // namespace pbx::app
