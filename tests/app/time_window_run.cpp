// Times one extraction run in the window program (offscreen platform).
// Not a test: run it by hand to compare with the command line.
//   time_window_run ARCHIVE OUTDIR [ENTRIES]
// ARCHIVE is written first when it does not exist, with ENTRIES (default
// 8191) entries of 1 to 4 KiB.
#include <cstdio>

#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTest>

#include "app/Application.h"
#include "app/UnitMain.h"
#include "tests/app/test_support.h"

namespace {

QByteArray SmallArchive(int count) {
  std::vector<std::pair<QByteArray, QByteArray>> entries;
  for (int i = 0; i < count; ++i) {
    const QByteArray name = QByteArray::number(i).rightJustified(5, '0') + ".dat";
    entries.push_back({name, QByteArray(1024 + (i * 37) % 3072, char('a' + i % 26))});
  }
  return pbx::test::MakeArchive(entries);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s ARCHIVE OUTDIR [ENTRIES]\n", argv[0]);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  pbx::app::TApplication application(argc, argv);
  const QString archive = QString::fromLocal8Bit(argv[1]);
  const int count = argc > 3 ? std::atoi(argv[3]) : 8191;
  if (!QFile::exists(archive) && !pbx::test::WriteFile(archive, SmallArchive(count)))
    return 1;
  pbx::app::TFormMain form;
  form.show();
  if (!QTest::qWaitForWindowExposed(&form)) return 1;
  form.EditInput->setText(archive);
  form.EditOutDir->setText(QString::fromLocal8Bit(argv[2]));
  // A missing output directory would bring up its notice; answer it.
  pbx::test::ModalDriver driver([](QWidget* modal) {
    if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->accept();
  });
  QElapsedTimer timer;
  timer.start();
  form.BtnActClick();
  const qint64 ms = timer.elapsed();
  std::printf("window run: %lld ms, %lld lines, status \"%s\"\n",
              static_cast<long long>(ms),
              static_cast<long long>(form.MemoList->blockCount()),
              qPrintable(form.StatusBar->currentMessage()));
  return 0;
}
