// The file dialog behind BitBtnFileOpen: accept, cancel, typed names, and
// what it keeps for the next showing.
#include <memory>

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/UnitMain.h"
#include "tests/app/test_main.h"
#include "tests/app/test_support.h"

using pbx::app::TFormMain;

namespace {

// What the test saw in one showing of the dialog.
struct DialogSeen {
  QString object_name;
  QStringList filter_choices;
  int filter_choice = -1;
  QString name_field;
  QString directory;
};

// Reads the dialog, then lets `act` type a name, pick a choice and close it.
pbx::test::ModalDriver::Handler OnFileDialog(
    DialogSeen* seen, std::function<void(QFileDialog*)> act) {
  return [seen, act](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    if (!dialog) return;
    auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    seen->object_name = dialog->objectName();
    seen->filter_choices.clear();
    for (int i = 0; i < combo->count(); ++i) seen->filter_choices << combo->itemText(i);
    seen->filter_choice = combo->currentIndex();
    seen->name_field =
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
    seen->directory = dialog->directory().absolutePath();
    act(dialog);
  };
}

void Type(QFileDialog* dialog, const QString& name) {
  dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(name);
}

// Picks a file-type choice the way the user does, through the combo box.
void ChooseFilter(QFileDialog* dialog, int index) {
  auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
  combo->setCurrentIndex(index);
  emit combo->activated(index);
}

void Accept(QFileDialog* dialog) { static_cast<QDialog*>(dialog)->accept(); }

}  // namespace

class OpenDialogTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TFormMain> form_;
  QTemporaryDir dir_;

  QString Path(const QString& name) { return dir_.filePath(name); }

  // Clicks the folder button with the dialog handled by `act`.
  DialogSeen OpenDialog(std::function<void(QFileDialog*)> act) {
    DialogSeen seen;
    pbx::test::ModalDriver driver(OnFileDialog(&seen, std::move(act)));
    pbx::test::ClickThroughWindow(form_->BitBtnFileOpen);
    return seen;
  }

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    QVERIFY(pbx::test::WriteFile(Path("game.pbx"), "x"));
    QVERIFY(pbx::test::WriteFile(Path("other.dat"), "x"));
    QDir::setCurrent(dir_.path());
  }

  void init() {
    form_ = std::make_unique<TFormMain>();
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  }

  void cleanup() { form_.reset(); }

  void firstShowing() {
    const DialogSeen seen = OpenDialog([](QFileDialog* d) { d->reject(); });
    QCOMPARE(seen.object_name, QStringLiteral("OpenDialog"));
    QCOMPARE(seen.filter_choices,
             (QStringList{QStringLiteral("PBX files (*.pbx)"), QStringLiteral("*.*")}));
    QCOMPARE(seen.filter_choice, 0);
    QCOMPARE(seen.name_field, QString());
  }

  // What lands in the two fields for a name typed in the dialog.
  void acceptedNameFillsBothFields_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("out_dir");
    QTest::newRow("existing archive") << "game.pbx" << "game.pbx" << "game";
    QTest::newRow("no extension gets VCT") << "save" << "save.VCT" << "save";
    QTest::newRow("matches no file") << "missing.pbx" << "missing.pbx" << "missing";
    QTest::newRow("Japanese name") << "表ソ.pbx" << "表ソ.pbx" << "表ソ";
  }

  void acceptedNameFillsBothFields() {
    QFETCH(QString, typed);
    QFETCH(QString, input);
    QFETCH(QString, out_dir);
    form_->EditOutDir->setText(QStringLiteral("typed by hand"));
    OpenDialog([&](QFileDialog* d) { Type(d, typed); Accept(d); });
    QCOMPARE(form_->EditInput->text(), Path(input));
    QCOMPARE(form_->EditOutDir->text(), Path(out_dir));
  }

  void cancelChangesNothing() {
    OpenDialog([&](QFileDialog* d) { Type(d, "game.pbx"); Accept(d); });
    form_->EditInput->setText(QStringLiteral("hand input"));
    form_->EditOutDir->setText(QStringLiteral("hand output"));
    const DialogSeen seen = OpenDialog([](QFileDialog* d) {
      ChooseFilter(d, 1);
      Type(d, "other.dat");
      d->reject();
    });
    QCOMPARE(form_->EditInput->text(), QStringLiteral("hand input"));
    QCOMPARE(form_->EditOutDir->text(), QStringLiteral("hand output"));
    // Nor did the cancelled choices stick.
    const DialogSeen next = OpenDialog([](QFileDialog* d) { d->reject(); });
    QCOMPARE(next.filter_choice, 0);
    QCOMPARE(next.name_field, QStringLiteral("game.pbx"));
  }

  // The next dialog starts at the last accepted file with the choice it was
  // accepted with; a path typed into EditInput does not matter.
  void acceptedPathAndChoiceAreKept() {
    QTemporaryDir elsewhere;
    OpenDialog([&](QFileDialog* d) {
      ChooseFilter(d, 1);
      Type(d, "other.dat");
      Accept(d);
    });
    QCOMPARE(form_->EditInput->text(), Path("other.dat"));
    form_->EditInput->setText(elsewhere.filePath("typed.pbx"));
    const DialogSeen next = OpenDialog([](QFileDialog* d) { d->reject(); });
    QCOMPARE(next.filter_choice, 1);
    QCOMPARE(next.name_field, QStringLiteral("other.dat"));
    QCOMPARE(next.directory, QDir(dir_.path()).absolutePath());
  }

  // The file dialog is modal: the main window's buttons do not react.
  void mainWindowTakesNoClicksWhileOpen() {
    int clicks = 0;
    connect(form_->btnAbout, &QPushButton::clicked, this, [&] { ++clicks; });
    OpenDialog([&](QFileDialog* d) {
      pbx::test::ClickThroughWindow(form_->btnAbout);
      d->reject();
    });
    QCOMPARE(clicks, 0);
  }
};

PBX_APP_TEST_MAIN(OpenDialogTest)
#include "tst_open_dialog.moc"
