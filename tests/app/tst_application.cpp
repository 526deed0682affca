// The application object's error display for exceptions from handlers.
#include <stdexcept>

#include <QPushButton>
#include <QTest>

#include "app/Application.h"
#include "tests/app/test_main.h"
#include "tests/app/test_support.h"

using pbx::test::BoxSeen;

class ApplicationTest : public QObject {
  Q_OBJECT

 private slots:
  // A handler that throws shows the message in a stop box captioned with
  // the application title (here the test's executable name); EAbort shows
  // nothing. Either way the program goes on taking clicks.
  void exceptionInAHandler_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("box");
    QTest::newRow("runtime_error") << "runtime" << "boom" << true;
    QTest::newRow("Japanese message") << "logic" << QString::fromUtf8("壊れました") << true;
    QTest::newRow("EAbort") << "abort" << "" << false;
  }

  void exceptionInAHandler() {
    QFETCH(QString, kind);
    QFETCH(QString, message);
    QFETCH(bool, box);
    QPushButton button(QStringLiteral("throw"));
    button.resize(100, 30);
    int entered = 0;
    const QByteArray what = message.toUtf8();
    connect(&button, &QPushButton::clicked, this, [&] {
      ++entered;
      if (kind == "runtime") throw std::runtime_error(what.toStdString());
      if (kind == "logic") throw std::logic_error(what.toStdString());
      throw pbx::app::EAbort();
    });
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    std::vector<BoxSeen> boxes;
    pbx::test::ModalDriver driver(pbx::test::RecordAndDismissBoxes(&boxes));
    pbx::test::ClickThroughWindow(&button);
    pbx::test::ClickThroughWindow(&button);
    QCOMPARE(entered, 2);
    std::vector<BoxSeen> expected;
    if (box) {
      const BoxSeen error{QCoreApplication::applicationName(), message,
                          QMessageBox::Critical};
      expected = {error, error};
    }
    QVERIFY2(boxes == expected, qPrintable(pbx::test::Describe(boxes)));
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("tst_application"));
  }
};

PBX_APP_TEST_MAIN(ApplicationTest)
#include "tst_application.moc"
