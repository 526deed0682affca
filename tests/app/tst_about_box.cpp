// The about box: its layout, how it closes, and where it reappears.
#include <memory>

#include <QFontInfo>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include "app/About.h"
#include "app/UnitMain.h"
#include "tests/app/test_main.h"
#include "tests/app/test_support.h"

using pbx::app::TAboutBox;

class AboutBoxTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<pbx::app::TFormMain> form_;
  std::unique_ptr<TAboutBox> about_;

  // Clicks btnAbout; `step` is called with the box while it is shown.
  void ShowAbout(std::function<void(TAboutBox*)> step) {
    pbx::test::ModalDriver driver([this, step](QWidget* modal) {
      if (modal == about_.get()) step(about_.get());
    });
    pbx::test::ClickThroughWindow(form_->btnAbout);
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

  void layout_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QPoint>("position");
    QTest::addColumn<QSize>("size");  // empty: sized to its text
    QTest::addColumn<int>("font_pixels");  // 0: the box's own font
    QTest::newRow("Panel1") << "Panel1" << "AboutBox" << QPoint(5, 16) << QSize(297, 145) << 0;
    QTest::newRow("Label1") << "Label1" << "Panel1" << QPoint(8, 22) << QSize() << 16;
    QTest::newRow("ImageAbout") << "ImageAbout" << "Panel1" << QPoint(26, 43) << QSize(32, 32) << 0;
    QTest::newRow("Label2") << "Label2" << "Panel1" << QPoint(96, 48) << QSize() << 16;
    QTest::newRow("Label3") << "Label3" << "Panel1" << QPoint(40, 82) << QSize() << 16;
    QTest::newRow("Label5") << "Label5" << "Panel1" << QPoint(40, 104) << QSize() << 15;
    QTest::newRow("Label4") << "Label4" << "Panel1" << QPoint(64, 118) << QSize() << 16;
    QTest::newRow("OKButton") << "OKButton" << "AboutBox" << QPoint(117, 172) << QSize(75, 25) << 12;
  }

  void layout() {
    QFETCH(QString, control);
    QFETCH(QString, parent);
    QFETCH(QPoint, position);
    QFETCH(QSize, size);
    QFETCH(int, font_pixels);
    auto* widget = about_->findChild<QWidget*>(control);
    QVERIFY2(widget, qPrintable(control));
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    QCOMPARE(widget->pos(), position);
    QCOMPARE(widget->size(), size.isValid() ? size : widget->sizeHint());
    if (font_pixels) QCOMPARE(QFontInfo(widget->font()).pixelSize(), font_pixels);
  }

  void windowAndTexts() {
    QCOMPARE(about_->windowTitle(), QString::fromUtf8("ﾊﾞｰｼﾞｮﾝ情報"));
    QCOMPARE(about_->size(), QSize(307, 205));
    QCOMPARE(about_->minimumSize(), about_->maximumSize());
    QVERIFY(!(about_->windowFlags() & Qt::WindowMinMaxButtonsHint));
    QCOMPARE(about_->Label2->text(), QStringLiteral("Version 0.10"));
    QVERIFY(about_->Label3->text().contains(QStringLiteral("2002")));
    QVERIFY(about_->Label4->text().startsWith(QLatin1Char('(')));
    QVERIFY(about_->Label4->text().endsWith(QLatin1Char(')')));
    QCOMPARE(about_->OKButton->text(), QStringLiteral("OK"));
    QVERIFY(about_->OKButton->isDefault());
    QCOMPARE(about_->ImageAbout->pixmap().size(), QSize(32, 32));
  }

  // What closes the box, with which result.
  void closing_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<int>("result");
    QTest::newRow("Enter") << "Enter" << true << int(QDialog::Accepted);
    QTest::newRow("keypad Enter") << "keypad Enter" << true << int(QDialog::Accepted);
    QTest::newRow("space on OK") << "space" << true << int(QDialog::Accepted);
    QTest::newRow("click on OK") << "click" << true << int(QDialog::Accepted);
    QTest::newRow("close box") << "close box" << true << int(QDialog::Rejected);
    QTest::newRow("Esc") << "Esc" << false << -1;
  }

  void closing() {
    QFETCH(QString, action);
    QFETCH(bool, closes);
    QFETCH(int, result);
    int calls = 0;
    bool closed_by_action = true;
    int finished_with = -1;
    connect(about_.get(), &QDialog::finished, this, [&](int r) { finished_with = r; });
    ShowAbout([&](TAboutBox* box) {
      // Keys go to the active window; the window system activates the box
      // a moment after it is shown.
      if (calls == 0 && !box->isActiveWindow()) return;
      if (++calls > 1) {  // still open after the action
        closed_by_action = false;
        box->done(-1);
        return;
      }
      QCOMPARE(QApplication::focusWidget(), box->OKButton);
      if (action == "Enter") pbx::test::KeyThroughWindow(box, Qt::Key_Return);
      if (action == "keypad Enter") pbx::test::KeyThroughWindow(box, Qt::Key_Enter);
      if (action == "space") pbx::test::KeyThroughWindow(box, Qt::Key_Space);
      if (action == "Esc") pbx::test::KeyThroughWindow(box, Qt::Key_Escape);
      if (action == "click") pbx::test::ClickThroughWindow(box->OKButton);
      if (action == "close box") box->windowHandle()->close();
    });
    QCOMPARE(closed_by_action, closes);
    QCOMPARE(finished_with, result);
    QVERIFY(!about_->isVisible());
  }

  // Centred on the screen the first time; later where it was left. The
  // same box every time.
  void positionIsRemembered() {
    QPoint first_centre;
    QWidget* first_box = nullptr;
    ShowAbout([&](TAboutBox* box) {
      first_centre = box->frameGeometry().center();
      first_box = QApplication::activeModalWidget();
      box->move(40, 50);
      box->OKButton->click();
    });
    const QPoint screen_centre =
        QGuiApplication::primaryScreen()->availableGeometry().center();
    QVERIFY2((first_centre - screen_centre).manhattanLength() <= 2,
             qPrintable(QStringLiteral("%1,%2").arg(first_centre.x()).arg(first_centre.y())));
    QPoint second_position;
    QWidget* second_box = nullptr;
    ShowAbout([&](TAboutBox* box) {
      second_position = box->pos();
      second_box = QApplication::activeModalWidget();
      box->OKButton->click();
    });
    QCOMPARE(second_position, QPoint(40, 50));
    QCOMPARE(second_box, first_box);
    QCOMPARE(second_box, static_cast<QWidget*>(about_.get()));
  }
};

PBX_APP_TEST_MAIN(AboutBoxTest)
#include "tst_about_box.moc"
