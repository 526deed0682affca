// Helpers for the window tests: modal dialogs answered from a repeating
// timer, clicks and keys through the window system (so modality applies),
// and archives written byte by byte.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <QByteArray>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

class QWidget;

namespace pbx::app {
class TAboutBox;
class TFormMain;
}  // namespace pbx::app

namespace pbx::test {

// Creates the two windows as start-up does (the main window first, both
// registered in FormMain and AboutBox) and shows the main window. The caller
// waits for it to be exposed and destroys the about box first.
void CreateProgramWindows(std::unique_ptr<app::TFormMain>* form,
                          std::unique_ptr<app::TAboutBox>* about);

// Answers modal dialogs while it lives: every few milliseconds, when a
// modal widget is active, the handler is called with it. The handler may
// close the widget or leave it open for a later call. It must not wait
// (qWait and QTRY_* would run inside the dialog's own loop and deadlock).
// A dialog left open for many calls in a row is rejected as a safety net,
// so that a failing test ends instead of hanging.
class ModalDriver : public QObject {
 public:
  using Handler = std::function<void(QWidget* modal)>;
  explicit ModalDriver(Handler handler);
  int rejected_by_safety_net() const { return rejected_; }

 private:
  void Tick();
  Handler handler_;
  QTimer timer_;
  QWidget* last_ = nullptr;
  int same_count_ = 0;
  int rejected_ = 0;
};

// One message box as the user saw it.
struct BoxSeen {
  QString title;
  QString text;
  QMessageBox::Icon icon;
  bool operator==(const BoxSeen&) const = default;
};
QString Describe(const std::vector<BoxSeen>& boxes);

// A handler that records every QMessageBox and presses its OK button.
// Other modal widgets are passed to `other` when given.
ModalDriver::Handler RecordAndDismissBoxes(std::vector<BoxSeen>* seen,
                                           ModalDriver::Handler other = {});

// Mouse click and key press delivered through the widget's window, as the
// window system would: a window blocked by a modal dialog ignores them.
void ClickThroughWindow(QWidget* widget);
void KeyThroughWindow(QWidget* window, Qt::Key key,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// Runs fn from the event loop, the next time events are processed.
void Later(std::function<void()> fn);

// An archive: magic, FirstDataOffset, one record per entry, the data.
QByteArray MakeArchive(
    const std::vector<std::pair<QByteArray, QByteArray>>& entries);
bool WriteFile(const QString& path, const QByteArray& bytes);
QByteArray ReadFile(const QString& path);

// The list's lines.
QStringList ListLines(QWidget* main_window);

}  // namespace pbx::test
