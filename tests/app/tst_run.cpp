// Extraction runs driven through the main window: message boxes, the list,
// the status line, the button's caption, and what the user can do while a
// run services the window.
#include <functional>
#include <memory>
#include <stdexcept>

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include "app/About.h"
#include "app/UnitMain.h"
#include "tests/app/test_main.h"
#include "tests/app/test_support.h"

using pbx::test::BoxSeen;
using pbx::test::ClickThroughWindow;
using pbx::test::Later;
using pbx::test::ListLines;

namespace {

const QString kCaptionError = QString::fromUtf8("エラー");
const BoxSeen kCannotRead{kCaptionError, QString::fromUtf8("ファイルが読めません"),
                          QMessageBox::Warning};
const BoxSeen kNotArchive{kCaptionError,
                          QString::fromUtf8("ソラネムのファイルじゃなさそうよ。"),
                          QMessageBox::Warning};
const BoxSeen kWillCreate{QString::fromUtf8("つくっちゃう"),
                          QString::fromUtf8("ディレクトリをつくっちゃうよ"),
                          QMessageBox::NoIcon};
const BoxSeen kCannotCreate{
    QString::fromUtf8("だめ"),
    QString::fromUtf8("ここにはディレクトリつくれないよ。\n"
                      "出力ディレクトリ先がCD-ROMだったりしない?"),
    QMessageBox::NoIcon};
const BoxSeen kCannotWrite{kCaptionError, QString::fromUtf8("ファイルが書けないよ"),
                           QMessageBox::Warning};

// Entries "f01" .. "fNN", each holding its own name.
std::vector<std::pair<QByteArray, QByteArray>> NumberedEntries(int count) {
  std::vector<std::pair<QByteArray, QByteArray>> entries;
  for (int i = 1; i <= count; ++i) {
    const QByteArray name = QByteArray("f") + QByteArray::number(i).rightJustified(2, '0');
    entries.push_back({name, name + " data"});
  }
  return entries;
}

QStringList NumberedNames(int from, int to) {
  QStringList names;
  for (int i = from; i <= to; ++i)
    names << QStringLiteral("f%1").arg(i, 2, 10, QLatin1Char('0'));
  return names;
}

}  // namespace

class RunTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<pbx::app::TFormMain> form_;
  std::unique_ptr<pbx::app::TAboutBox> about_;
  std::unique_ptr<QTemporaryDir> dir_;

  QString Path(const QString& name) const { return dir_->filePath(name); }

  void UseArchive(const QByteArray& bytes, const QString& out_dir) {
    QVERIFY(pbx::test::WriteFile(Path("game.pbx"), bytes));
    form_->EditInput->setText(Path("game.pbx"));
    form_->EditOutDir->setText(out_dir);
  }

  // Clicks BtnAct; message boxes are recorded and dismissed, other modal
  // widgets go to `other`. Returns when the run has returned.
  std::vector<BoxSeen> Run(pbx::test::ModalDriver::Handler other = {}) {
    std::vector<BoxSeen> boxes;
    pbx::test::ModalDriver driver(pbx::test::RecordAndDismissBoxes(&boxes, other));
    ClickThroughWindow(form_->BtnAct);
    return boxes;
  }

  // Calls fn once, from the run's servicing of the window, right after the
  // run has listed entry `number` (from 1).
  void WhenListed(int number, std::function<void()> fn) {
    auto done = std::make_shared<bool>(false);
    connect(form_->MemoList, &QPlainTextEdit::textChanged, this,
            [this, number, fn, done] {
              if (*done || ListLines(form_.get()).size() != number) return;
              *done = true;
              Later(fn);
            });
  }

  void VerifyIdle() {
    QCOMPARE(form_->BtnAct->text(), QString::fromUtf8("どきどき"));
    QVERIFY(!form_->Running());
    QVERIFY(!form_->StopRequested());
  }

  QString Status() const { return form_->StatusBar->currentMessage(); }

 private slots:
  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    pbx::test::CreateProgramWindows(&form_, &about_);
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  }

  void cleanup() {
    about_.reset();
    form_.reset();
    dir_.reset();
  }

  void completeRunIntoANewDirectory() {
    // 表 is 0x95 0x5C in Shift-JIS: its second byte is a backslash.
    const QByteArray sjis_name("\x95\x5c.txt");
    const QByteArray binary("\x00\x01\xff\x80", 4);
    UseArchive(pbx::test::MakeArchive({{"a.txt", "hello"},
                                       {sjis_name, binary},
                                       {"empty", ""}}),
               Path("out"));
    form_->MemoList->setPlainText(QStringLiteral("typed by the user"));
    const std::vector<BoxSeen> boxes = Run();
    QVERIFY2(boxes == std::vector<BoxSeen>{kWillCreate},
             qPrintable(pbx::test::Describe(boxes)));
    QCOMPARE(ListLines(form_.get()),
             (QStringList{QStringLiteral("a.txt"), QString::fromUtf8("表.txt"),
                          QStringLiteral("empty")}));
    QCOMPARE(Status(), QStringLiteral(" 003 / 003"));
    VerifyIdle();
    QCOMPARE(pbx::test::ReadFile(Path("out/a.txt")), QByteArray("hello"));
    QCOMPARE(pbx::test::ReadFile(Path("out/") + QString::fromUtf8("表.txt")), binary);
    QCOMPARE(pbx::test::ReadFile(Path("out/empty")), QByteArray());
  }

  // Each failure shows its boxes with their captions and icons; the list
  // and the status line show how far the run came.
  void failingRuns_data() {
    QTest::addColumn<QByteArray>("archive");  // empty: none written
    QTest::addColumn<QString>("input");       // relative to the test folder
    QTest::addColumn<QString>("out_dir");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("list");
    const QByteArray two = pbx::test::MakeArchive({{"a", "1"}, {"b", "2"}});
    const QStringList earlier{QStringLiteral("earlier")};
    QTest::newRow("empty path") << QByteArray() << "" << "out"
                                << QStringList{"read"} << earlier;
    QTest::newRow("missing file") << QByteArray() << "none.pbx" << "out"
                                  << QStringList{"read"} << earlier;
    QTest::newRow("a directory") << QByteArray() << "." << "out"
                                 << QStringList{"read"} << earlier;
    QTest::newRow("not an archive") << QByteArray("Pandora.bo_\0\0\0\0\0", 16)
                                    << "game.pbx" << "out"
                                    << QStringList{"magic"} << earlier;
    QTest::newRow("directory cannot be created")
        << two << "game.pbx" << "no/such/place" << QStringList{"create", "cannot create"}
        << QStringList{};
    QTest::newRow("empty output text")
        << two << "game.pbx" << "<empty>" << QStringList{"create", "cannot create"}
        << QStringList{};
    QTest::newRow("entry with an empty name")
        << pbx::test::MakeArchive({{"a", "1"}, {"", "2"}, {"c", "3"}}) << "game.pbx"
        << "." << QStringList{"write"} << QStringList{"a", ""};
  }

  void failingRuns() {
    QFETCH(QByteArray, archive);
    QFETCH(QString, input);
    QFETCH(QString, out_dir);
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, list);
    if (!archive.isEmpty()) QVERIFY(pbx::test::WriteFile(Path("game.pbx"), archive));
    form_->EditInput->setText(input.isEmpty() ? input : Path(input));
    form_->EditOutDir->setText(out_dir == "<empty>" ? QString() : Path(out_dir));
    form_->MemoList->setPlainText(QStringLiteral("earlier"));
    form_->StatusBar->showMessage(QStringLiteral("before"));
    const std::map<QString, BoxSeen> by_key{
        {"read", kCannotRead},     {"magic", kNotArchive},
        {"create", kWillCreate},   {"cannot create", kCannotCreate},
        {"write", kCannotWrite}};
    std::vector<BoxSeen> expected;
    for (const QString& key : boxes) expected.push_back(by_key.at(key));
    const std::vector<BoxSeen> seen = Run();
    QVERIFY2(seen == expected, qPrintable(pbx::test::Describe(seen)));
    QCOMPARE(ListLines(form_.get()), list);
    const bool wrote_one = list.size() > 1;
    QCOMPARE(Status(), wrote_one ? QStringLiteral(" 001 / 003") : QStringLiteral("before"));
    VerifyIdle();
  }

  // A click on BtnAct while entry 5 of 10 is being serviced: entry 5 is
  // written, nothing after it. A second click changes nothing.
  void stopDuringRun_data() {
    QTest::addColumn<int>("clicks");
    QTest::newRow("one click") << 1;
    QTest::newRow("two clicks") << 2;
  }

  void stopDuringRun() {
    QFETCH(int, clicks);
    UseArchive(pbx::test::MakeArchive(NumberedEntries(10)), dir_->path());
    WhenListed(5, [this, clicks] {
      for (int i = 0; i < clicks; ++i) ClickThroughWindow(form_->BtnAct);
    });
    const std::vector<BoxSeen> boxes = Run();
    QVERIFY2(boxes.empty(), qPrintable(pbx::test::Describe(boxes)));
    QCOMPARE(ListLines(form_.get()), NumberedNames(1, 5));
    QCOMPARE(Status(), QStringLiteral(" 005 / 010"));
    VerifyIdle();
    QVERIFY(QFile::exists(Path("f05")));
    QVERIFY(!QFile::exists(Path("f06")));
    // The next run is not stopped by the earlier request.
    QVERIFY(Run().empty());
    QCOMPARE(Status(), QStringLiteral(" 010 / 010"));
  }

  // The about box opened during a run holds the run until it is closed,
  // and while it is open a click on BtnAct does not reach the window.
  void aboutBoxHoldsTheRun() {
    UseArchive(pbx::test::MakeArchive(NumberedEntries(6)), dir_->path());
    WhenListed(2, [this] { ClickThroughWindow(form_->btnAbout); });
    int about_calls = 0;
    QStringList lines_while_open;
    QString status_while_open;
    const std::vector<BoxSeen> boxes = Run([&](QWidget* modal) {
      if (modal != about_.get()) return;
      if (++about_calls == 1) {
        ClickThroughWindow(form_->BtnAct);  // blocked by the modal box
        return;
      }
      lines_while_open = ListLines(form_.get());
      status_while_open = Status();
      ClickThroughWindow(about_->OKButton);
    });
    QVERIFY(boxes.empty());
    QCOMPARE(lines_while_open, NumberedNames(1, 2));
    QCOMPARE(status_while_open, QStringLiteral(" 001 / 006"));
    QCOMPARE(ListLines(form_.get()), NumberedNames(1, 6));
    QCOMPARE(Status(), QStringLiteral(" 006 / 006"));
    VerifyIdle();
  }

  // An archive chosen in the file dialog during a run sends the entries not
  // yet written to its output directory, which nobody created.
  void archiveChosenDuringRun() {
    QVERIFY(QDir(dir_->path()).mkdir("out"));
    UseArchive(pbx::test::MakeArchive(NumberedEntries(4)), Path("out"));
    WhenListed(2, [this] { ClickThroughWindow(form_->BitBtnFileOpen); });
    const std::vector<BoxSeen> boxes = Run([this](QWidget* modal) {
      auto* dialog = qobject_cast<QFileDialog*>(modal);
      if (!dialog) return;
      dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
          ->setText(Path("other.pbx"));
      static_cast<QDialog*>(dialog)->accept();
    });
    QVERIFY2(boxes == std::vector<BoxSeen>{kCannotWrite},
             qPrintable(pbx::test::Describe(boxes)));
    QCOMPARE(form_->EditOutDir->text(), Path("other"));
    QCOMPARE(ListLines(form_.get()), NumberedNames(1, 2));
    QVERIFY(QFile::exists(Path("out/f01")));
    QVERIFY(!QFile::exists(Path("out/f02")));
    VerifyIdle();
  }

  // Closing the main window during a run keeps it on screen; the run goes
  // on (BtnAct can still stop it) and the window closes when it returns.
  void closeDuringRun_data() {
    QTest::addColumn<int>("stop_at");  // 0: no stop
    QTest::addColumn<int>("written");
    QTest::newRow("run to its end") << 0 << 5;
    QTest::newRow("stopped after the close") << 3 << 3;
  }

  void closeDuringRun() {
    QFETCH(int, stop_at);
    QFETCH(int, written);
    UseArchive(pbx::test::MakeArchive(NumberedEntries(5)), dir_->path());
    WhenListed(2, [this] { form_->windowHandle()->close(); });
    bool visible_after_close = false;
    WhenListed(3, [&] {
      visible_after_close = form_->isVisible();
      if (stop_at == 3) ClickThroughWindow(form_->BtnAct);
    });
    QVERIFY(Run().empty());
    QVERIFY(visible_after_close);
    QCOMPARE(ListLines(form_.get()), NumberedNames(1, written));
    QVERIFY(!form_->isVisible());
    VerifyIdle();
  }

  // An exception from a handler that runs inside the run's servicing of the
  // window is shown, and the run goes on.
  void exceptionInAHandlerDuringRun() {
    UseArchive(pbx::test::MakeArchive(NumberedEntries(3)), dir_->path());
    WhenListed(2, [] { throw std::runtime_error("handler failed"); });
    const std::vector<BoxSeen> boxes = Run();
    const BoxSeen error_box{QCoreApplication::applicationName(),
                            QStringLiteral("handler failed"), QMessageBox::Critical};
    QVERIFY2(boxes == std::vector<BoxSeen>{error_box},
             qPrintable(pbx::test::Describe(boxes)));
    QCOMPARE(Status(), QStringLiteral(" 003 / 003"));
    VerifyIdle();
  }
};

PBX_APP_TEST_MAIN(RunTest)
#include "tst_run.moc"
