#include "app/UnitMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

#include "app/About.h"
#include "app/Fonts.h"
#include "app/Pictures.h"
#include "app/Texts.h"
#include "archive/paths.h"

namespace pbx::app {

TFormMain* FormMain = nullptr;

namespace {

QString U8(const std::string& s) { return QString::fromUtf8(s.data(), s.size()); }
std::string ToU8(const QString& s) { return s.toUtf8().toStdString(); }

enum class Bevel { kNone, kLowered };

QFrame* MakePanel(QWidget* parent, const char* name, Bevel bevel) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(QString::fromLatin1(name));
  if (bevel == Bevel::kLowered) {
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setLineWidth(1);
  }
  return panel;
}

template <typename W>
W* Make(QWidget* parent, const char* name, int x, int y, int w, int h) {
  auto* widget = new W(parent);
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(x, y, w, h);
  return widget;
}

// A push button that Enter presses while it has the focus, as on Windows.
// Outside a QDialog this makes no button the window's default.
QPushButton* MakeButton(QWidget* parent, const char* name, const char* text,
                        QRect geometry) {
  auto* button = Make<QPushButton>(parent, name, geometry.x(), geometry.y(),
                                   geometry.width(), geometry.height());
  button->setText(QString::fromUtf8(text));
  button->setAutoDefault(true);
  return button;
}

}  // namespace

QString MainCaption() {
  return QString::fromUtf8(kToolTitle) + QString::fromUtf8(kVersionSuffix) +
         QString::fromUtf8(kCaptionBlanks) + QString::fromUtf8(kCredit);
}

TFormMain::TFormMain(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("FormMain"));
  setWindowTitle(MainCaption());
  setFont(DesignFont(12));
  BuildTopBar();
  BuildList();
  BuildBottomBar();
  BuildStatusBar();
  // Top bar, list, bottom bar and status line stacked: only the list
  // changes height when the window is resized.
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(Panel2);
  layout->addWidget(Panel1, 1);
  layout->addWidget(Panel5);
  layout->addWidget(StatusBar);
  resize(446, 335);  // the client area; the frame is the window system's
  SetTabOrder();
  ConnectHandlers();
  EditInput->setFocus();
}

void TFormMain::BuildTopBar() {
  Panel2 = MakePanel(this, "Panel2", Bevel::kLowered);
  Panel2->setFixedHeight(49);
  EditInput = Make<QLineEdit>(Panel2, "EditInput", 16, 16, 241, 20);
  BitBtnFileOpen = MakeButton(Panel2, "BitBtnFileOpen", "", {272, 14, 33, 25});
  BitBtnFileOpen->setIcon(FolderPicture());
  BitBtnFileOpen->setIconSize(QSize(16, 16));
  btnAbout = MakeButton(Panel2, "btnAbout", "これ何?", {352, 14, 73, 25});
}

void TFormMain::BuildList() {
  Panel1 = MakePanel(this, "Panel1", Bevel::kNone);
  Panel3 = MakePanel(Panel1, "Panel3", Bevel::kLowered);
  Panel3->setFixedWidth(17);
  Panel4 = MakePanel(Panel1, "Panel4", Bevel::kLowered);
  Panel4->setFixedWidth(17);
  MemoList = new QPlainTextEdit(Panel1);
  MemoList->setObjectName(QStringLiteral("MemoList"));
  MemoList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  MemoList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  MemoList->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  MemoList->setTabChangesFocus(true);
  // The list alone gives way when the window shrinks, down to nothing.
  MemoList->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  auto* row = new QHBoxLayout(Panel1);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  row->addWidget(Panel3);
  row->addWidget(MemoList, 1);
  row->addWidget(Panel4);
}

void TFormMain::BuildBottomBar() {
  Panel5 = MakePanel(this, "Panel5", Bevel::kLowered);
  Panel5->setFixedHeight(44);
  EditOutDir = Make<QLineEdit>(Panel5, "EditOutDir", 16, 12, 201, 20);
  Label1 = Make<QLabel>(Panel5, "Label1", 224, 16, 81, 12);
  Label1->setText(QString::fromUtf8("出力ディレクトリ"));
  Label1->adjustSize();
  BtnAct = MakeButton(Panel5, "BtnAct", kCaptionIdle, {328, 10, 97, 25});
}

void TFormMain::BuildStatusBar() {
  StatusBar = new QStatusBar(this);
  StatusBar->setObjectName(QStringLiteral("StatusBar"));
  StatusBar->setFixedHeight(19);
  StatusBar->setSizeGripEnabled(true);
  // The status line keeps the system's font, not the window's.
  QFont system_font = QApplication::font(StatusBar);
  system_font.setResolveMask(QFont::AllPropertiesResolved);
  StatusBar->setFont(system_font);
}

void TFormMain::SetTabOrder() {
  QWidget* order[] = {EditInput, BitBtnFileOpen, btnAbout,
                      EditOutDir, BtnAct, MemoList};
  for (size_t i = 0; i + 1 < std::size(order); ++i)
    setTabOrder(order[i], order[i + 1]);
}

void TFormMain::ConnectHandlers() {
  connect(BitBtnFileOpen, &QPushButton::clicked, this,
          &TFormMain::BitBtnFileOpenClick);
  connect(BtnAct, &QPushButton::clicked, this, &TFormMain::BtnActClick);
  connect(btnAbout, &QPushButton::clicked, this, &TFormMain::btnAboutClick);
}

void TFormMain::BitBtnFileOpenClick() {
  if (!OpenDialog.Execute(this)) return;
  EditInput->setText(OpenDialog.FileName);
  EditOutDir->setText(U8(DefaultOutputDir(ToU8(OpenDialog.FileName))));
}

void TFormMain::BtnActClick() {
  const RunOutcome outcome = RunExtraction(*this);
  // A click that only asked a run to stop returns inside that run; the
  // click that ran it carries out a close asked for meanwhile.
  if (outcome != RunOutcome::kStopRequested && close_requested_) {
    close_requested_ = false;
    close();
  }
}

void TFormMain::btnAboutClick() { AboutBox->ShowModal(); }

void TFormMain::closeEvent(QCloseEvent* event) {
  if (running_) {
    close_requested_ = true;
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

std::string TFormMain::InputPathText() { return ToU8(EditInput->text()); }

std::string TFormMain::OutputDirText() { return ToU8(EditOutDir->text()); }

void TFormMain::ClearList() { MemoList->clear(); }

void TFormMain::AppendListLine(const std::string& line) {
  QTextCursor cursor(MemoList->document());
  cursor.movePosition(QTextCursor::End);
  // An empty list is one empty block, which takes the first line.
  if (!MemoList->document()->isEmpty()) cursor.insertBlock();
  cursor.insertText(U8(line));
  // Like a Windows edit control, the list follows the line just added.
  MemoList->setTextCursor(cursor);
  MemoList->ensureCursorVisible();
}

void TFormMain::SetActCaption(const std::string& caption) {
  BtnAct->setText(U8(caption));
}

void TFormMain::SetProgressText(const std::string& text) {
  StatusBar->showMessage(U8(text));
}

void TFormMain::ProcessMessages() { QCoreApplication::processEvents(); }

void TFormMain::MessageBox(const std::string& text, const std::string& caption,
                           unsigned style) {
  const bool exclamation = (style & kMbIconExclamation) == kMbIconExclamation;
  QMessageBox box(exclamation ? QMessageBox::Warning : QMessageBox::NoIcon,
                  U8(caption), U8(text), QMessageBox::Ok, this);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

}  // namespace pbx::app
