#include "app/Application.h"

#include <QMessageBox>

namespace pbx::app {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const EAbort&) {
    return true;
  } catch (const std::exception& error) {
    ShowException(error);
    return true;
  }
}

void TApplication::ShowException(const std::exception& error) {
  // The title is what Qt forms from the executable's name.
  QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(),
                  QString::fromUtf8(error.what()), QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

}  // namespace pbx::app
