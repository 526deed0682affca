#include "tests/app/test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QPlainTextEdit>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include "app/About.h"
#include "app/UnitMain.h"

namespace pbx::test {

void CreateProgramWindows(std::unique_ptr<app::TFormMain>* form,
                          std::unique_ptr<app::TAboutBox>* about) {
  *form = std::make_unique<app::TFormMain>();
  *about = std::make_unique<app::TAboutBox>();
  app::FormMain = form->get();
  app::AboutBox = about->get();
  (*form)->show();
}

namespace {
// Calls with the same dialog open before the safety net rejects it.
constexpr int kSafetyNetCalls = 1000;
}  // namespace

ModalDriver::ModalDriver(Handler handler) : handler_(std::move(handler)) {
  timer_.setInterval(5);
  connect(&timer_, &QTimer::timeout, this, &ModalDriver::Tick);
  timer_.start();
}

void ModalDriver::Tick() {
  QWidget* modal = QApplication::activeModalWidget();
  if (!modal || !modal->isVisible()) return;
  same_count_ = modal == last_ ? same_count_ + 1 : 0;
  last_ = modal;
  if (same_count_ > kSafetyNetCalls) {
    if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
    ++rejected_;
    return;
  }
  handler_(modal);
}

QString Describe(const std::vector<BoxSeen>& boxes) {
  QStringList parts;
  for (const BoxSeen& b : boxes)
    parts << QStringLiteral("[%1 | %2 | icon %3]").arg(b.title, b.text).arg(b.icon);
  return parts.join(QLatin1Char(' '));
}

ModalDriver::Handler RecordAndDismissBoxes(std::vector<BoxSeen>* seen,
                                           ModalDriver::Handler other) {
  return [seen, other](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (!box) {
      if (other) other(modal);
      return;
    }
    seen->push_back({box->windowTitle(), box->text(), box->icon()});
    box->button(QMessageBox::Ok)->click();
  };
}

void ClickThroughWindow(QWidget* widget) {
  QWidget* top = widget->window();
  const QPoint at = widget->mapTo(top, widget->rect().center());
  QTest::mouseClick(top->windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
}

void KeyThroughWindow(QWidget* window, Qt::Key key,
                      Qt::KeyboardModifiers modifiers) {
  QTest::keyClick(window->window()->windowHandle(), key, modifiers);
}

void Later(std::function<void()> fn) {
  QMetaObject::invokeMethod(qApp, std::move(fn), Qt::QueuedConnection);
}

namespace {
void AppendInt32LE(QByteArray& out, qint32 value) {
  const auto u = static_cast<quint32>(value);
  for (int shift = 0; shift < 32; shift += 8)
    out.append(static_cast<char>((u >> shift) & 0xFF));
}
}  // namespace

QByteArray MakeArchive(
    const std::vector<std::pair<QByteArray, QByteArray>>& entries) {
  QByteArray out("Pandora.box", 12);  // the NUL belongs to the magic
  const auto n = static_cast<qint32>(entries.size());
  const qint32 first_data = 16 + 16 * n;
  AppendInt32LE(out, first_data);
  qint32 end = first_data;
  for (const auto& [name, data] : entries) {
    QByteArray field = name.left(12);
    field.append(QByteArray(12 - field.size(), '\0'));
    out.append(field);
    end += static_cast<qint32>(data.size());
    AppendInt32LE(out, end);
  }
  for (const auto& entry : entries) out.append(entry.second);
  return out;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QStringList ListLines(QWidget* main_window) {
  auto* list = main_window->findChild<QPlainTextEdit*>(QStringLiteral("MemoList"));
  if (list->document()->isEmpty()) return {};
  return list->toPlainText().split(QLatin1Char('\n'));
}

}  // namespace pbx::test
