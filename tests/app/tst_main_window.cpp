// The main window's layout, resizing, fonts, focus order and keys.
#include <memory>

#include <QFontInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>

#include "app/About.h"
#include "app/UnitMain.h"
#include "tests/app/test_main.h"
#include "tests/app/test_support.h"

using pbx::app::TFormMain;

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TFormMain> form_;
  std::unique_ptr<pbx::app::TAboutBox> about_;

  QWidget* Control(const QString& name) {
    return form_->findChild<QWidget*>(name);
  }

 private slots:
  void init() {
    pbx::test::CreateProgramWindows(&form_, &about_);
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  }

  void cleanup() {
    about_.reset();
    form_.reset();
  }

  void layoutAtDesignSize_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("Panel2") << "Panel2" << "FormMain" << QRect(0, 0, 446, 49);
    QTest::newRow("EditInput") << "EditInput" << "Panel2" << QRect(16, 16, 241, 20);
    QTest::newRow("BitBtnFileOpen") << "BitBtnFileOpen" << "Panel2" << QRect(272, 14, 33, 25);
    QTest::newRow("btnAbout") << "btnAbout" << "Panel2" << QRect(352, 14, 73, 25);
    QTest::newRow("Panel1") << "Panel1" << "FormMain" << QRect(0, 49, 446, 223);
    QTest::newRow("Panel3") << "Panel3" << "Panel1" << QRect(0, 0, 17, 223);
    QTest::newRow("MemoList") << "MemoList" << "Panel1" << QRect(17, 0, 412, 223);
    QTest::newRow("Panel4") << "Panel4" << "Panel1" << QRect(429, 0, 17, 223);
    QTest::newRow("Panel5") << "Panel5" << "FormMain" << QRect(0, 272, 446, 44);
    QTest::newRow("EditOutDir") << "EditOutDir" << "Panel5" << QRect(16, 12, 201, 20);
    QTest::newRow("BtnAct") << "BtnAct" << "Panel5" << QRect(328, 10, 97, 25);
    QTest::newRow("StatusBar") << "StatusBar" << "FormMain" << QRect(0, 316, 446, 19);
  }

  void layoutAtDesignSize() {
    QFETCH(QString, control);
    QFETCH(QString, parent);
    QFETCH(QRect, geometry);
    QCOMPARE(form_->size(), QSize(446, 335));
    QWidget* widget = Control(control);
    QVERIFY2(widget, qPrintable(control));
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    QCOMPARE(widget->geometry(), geometry);
  }

  // Under a scaled screen (QT_SCALE_FACTOR) the window is drawn with that
  // many device pixels per layout pixel, the layout itself unchanged.
  void drawnAtTheScreensScale() {
    const double factor =
        qEnvironmentVariableIsSet("QT_SCALE_FACTOR")
            ? qEnvironmentVariable("QT_SCALE_FACTOR").toDouble()
            : 1.0;
    QCOMPARE(form_->devicePixelRatioF(), factor);
    const QPixmap drawn = form_->grab();
    QCOMPARE(drawn.size(), (QSizeF(446, 335) * factor).toSize());
  }

  void labelSitsAtItsPlaceSizedToItsText() {
    auto* label = form_->Label1;
    QCOMPARE(label->pos(), QPoint(224, 16));
    QCOMPARE(label->text(), QString::fromUtf8("出力ディレクトリ"));
    QCOMPARE(label->size(), label->sizeHint());
  }

  // Only the list takes the change; bars keep their heights and the
  // controls in them their places, down to the smallest window.
  void resizeGivesAllChangeToTheList_data() {
    QTest::addColumn<QSize>("requested");
    QTest::newRow("larger") << QSize(700, 500);
    QTest::newRow("narrower and lower") << QSize(300, 200);
    QTest::newRow("smallest") << QSize(1, 1);
  }

  void resizeGivesAllChangeToTheList() {
    QFETCH(QSize, requested);
    form_->resize(requested);
    QTest::qWait(0);
    const QSize client = form_->size();
    QVERIFY(client.width() >= requested.width() || requested.width() < 50);
    QCOMPARE(form_->Panel2->geometry(), QRect(0, 0, client.width(), 49));
    QCOMPARE(form_->StatusBar->geometry(),
             QRect(0, client.height() - 19, client.width(), 19));
    QCOMPARE(form_->Panel5->geometry(),
             QRect(0, client.height() - 19 - 44, client.width(), 44));
    QCOMPARE(form_->MemoList->height(), client.height() - 49 - 44 - 19);
    QCOMPARE(form_->MemoList->width(), client.width() - 2 * 17);
    QCOMPARE(form_->Panel3->width(), 17);
    QCOMPARE(form_->Panel4->width(), 17);
    QCOMPARE(form_->EditInput->pos(), QPoint(16, 16));
    QCOMPARE(form_->BtnAct->pos(), QPoint(328, 10));
    if (requested == QSize(1, 1)) QCOMPARE(form_->MemoList->height(), 0);
  }

  void captionTextsAndFonts() {
    QCOMPARE(form_->windowTitle(),
             QString::fromUtf8("PBX Unpacker Ver0.10    \u3000 (C) 2002 Tsukasa Mizuki"));
    QCOMPARE(form_->BtnAct->text(), QString::fromUtf8("どきどき"));
    QCOMPARE(form_->btnAbout->text(), QString::fromUtf8("これ何?"));
    QVERIFY(form_->BitBtnFileOpen->text().isEmpty());
    for (QWidget* w : {static_cast<QWidget*>(form_->EditInput),
                       static_cast<QWidget*>(form_->EditOutDir),
                       static_cast<QWidget*>(form_->MemoList),
                       static_cast<QWidget*>(form_->BtnAct),
                       static_cast<QWidget*>(form_->Label1)}) {
      const QFontInfo info(w->font());
      QVERIFY2(info.family() == QString::fromUtf8("ＭＳ Ｐゴシック") ||
                   info.family() == QStringLiteral("IPAPGothic"),
               qPrintable(w->objectName() + QStringLiteral(": ") + info.family()));
      QCOMPARE(info.pixelSize(), 12);
    }
    // The status line keeps the system's font.
    QCOMPARE(form_->StatusBar->font(), QApplication::font(form_->StatusBar));
  }

  void folderPictureHasTransparentBackground() {
    const QImage image =
        form_->BitBtnFileOpen->icon().pixmap(QSize(16, 16)).toImage();
    QCOMPARE(image.size(), QSize(16, 16));
    QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
    QCOMPARE(form_->BitBtnFileOpen->iconSize(), QSize(16, 16));
  }

  void listWrapsAndScrollsVertically() {
    QCOMPARE(form_->MemoList->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(form_->MemoList->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(form_->MemoList->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QVERIFY(!form_->MemoList->isReadOnly());
    QVERIFY(form_->StatusBar->isSizeGripEnabled());
  }

  void tabOrder_data() {
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<QStringList>("visited");
    QTest::newRow("Tab") << Qt::Key_Tab
        << QStringList{"BitBtnFileOpen", "btnAbout", "EditOutDir", "BtnAct",
                       "MemoList", "EditInput"};
    QTest::newRow("Shift+Tab") << Qt::Key_Backtab
        << QStringList{"MemoList", "BtnAct", "EditOutDir", "btnAbout",
                       "BitBtnFileOpen", "EditInput"};
  }

  void tabOrder() {
    QFETCH(Qt::Key, key);
    QFETCH(QStringList, visited);
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    QCOMPARE(QApplication::focusWidget(), form_->EditInput);
    QStringList seen;
    for (qsizetype i = 0; i < visited.size(); ++i) {
      pbx::test::KeyThroughWindow(form_.get(), key);
      seen << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(seen, visited);
  }

  // Enter presses the focused button and nothing in a text field; Esc
  // presses nothing anywhere.
  void enterAndEsc_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<QString>("pressed");
    for (const char* field : {"EditInput", "EditOutDir"}) {
      QTest::addRow("Enter in %s", field) << field << Qt::Key_Return << "";
      QTest::addRow("keypad Enter in %s", field) << field << Qt::Key_Enter << "";
    }
    for (const char* button : {"BitBtnFileOpen", "btnAbout", "BtnAct"})
      QTest::addRow("Enter on %s", button) << button << Qt::Key_Return << button;
    for (const char* any : {"EditInput", "EditOutDir", "BitBtnFileOpen",
                            "btnAbout", "BtnAct", "MemoList"})
      QTest::addRow("Esc on %s", any) << any << Qt::Key_Escape << "";
  }

  void enterAndEsc() {
    QFETCH(QString, focus);
    QFETCH(Qt::Key, key);
    QFETCH(QString, pressed);
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    Control(focus)->setFocus();
    QStringList clicked;
    for (QPushButton* b : {form_->BitBtnFileOpen, form_->btnAbout, form_->BtnAct})
      connect(b, &QPushButton::clicked, this,
              [&clicked, b] { clicked << b->objectName(); });
    // Whatever a press opens (dialog, about box, a run's message) is closed.
    pbx::test::ModalDriver closer([](QWidget* modal) {
      if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->done(0);
    });
    pbx::test::KeyThroughWindow(form_.get(), key);
    QCOMPARE(clicked, pressed.isEmpty() ? QStringList{} : QStringList{pressed});
  }

  void enterInTheListStartsANewLine() {
    form_->MemoList->setFocus();
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    QTest::keyClicks(form_->MemoList, QStringLiteral("ab"));
    pbx::test::KeyThroughWindow(form_.get(), Qt::Key_Return);
    QTest::keyClicks(form_->MemoList, QStringLiteral("c"));
    QCOMPARE(form_->MemoList->toPlainText(), QStringLiteral("ab\nc"));
  }
};

PBX_APP_TEST_MAIN(MainWindowTest)
#include "tst_main_window.moc"
