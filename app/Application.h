// The application object: Qt's QApplication plus the error display that
// catches exceptions where Qt dispatches an event, since Qt does not let an
// exception cross its event loop.
#pragma once

#include <exception>

#include <QApplication>

namespace pbx::app {

// Thrown to leave a handler silently: the display drops it without a box.
struct EAbort : std::exception {
  const char* what() const noexcept override { return "EAbort"; }
};

class TApplication : public QApplication {
 public:
  TApplication(int& argc, char** argv);

  // Delivers one event; an exception from its handler is shown and the
  // program goes on with the next event.
  bool notify(QObject* receiver, QEvent* event) override;

  // A modal error box with the message, captioned with the application
  // title, with the stop icon and an OK button.
  static void ShowException(const std::exception& error);
};

}  // namespace pbx::app
