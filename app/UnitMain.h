// The main window: archive path, output directory, three buttons, the list
// of extracted names and the status line. It is the window the extraction
// run reports through.
#pragma once

#include <string>

#include <QWidget>

#include "app/OpenDialog.h"
#include "archive/extraction_run.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;

namespace pbx::app {

class TFormMain : public QWidget, public pbx::RunWindow {
 public:
  explicit TFormMain(QWidget* parent = nullptr);

  QFrame* Panel1;
  QPlainTextEdit* MemoList;
  QFrame* Panel2;
  QLineEdit* EditInput;
  TOpenDialog OpenDialog;
  QPushButton* btnAbout;
  QFrame* Panel3;
  QFrame* Panel4;
  QFrame* Panel5;
  QStatusBar* StatusBar;
  QLineEdit* EditOutDir;
  QPushButton* BtnAct;
  QPushButton* BitBtnFileOpen;
  QLabel* Label1;

  void BitBtnFileOpenClick();
  void BtnActClick();
  void btnAboutClick();

  // What the extraction run does with the window.
  std::string InputPathText() override;
  std::string OutputDirText() override;
  void ClearList() override;
  void AppendListLine(const std::string& line) override;
  void SetActCaption(const std::string& caption) override;
  void SetProgressText(const std::string& text) override;
  bool Running() override { return running_; }
  void SetRunning(bool value) override { running_ = value; }
  bool StopRequested() override { return stop_requested_; }
  void SetStopRequested(bool value) override { stop_requested_ = value; }
  void ProcessMessages() override;
  void MessageBox(const std::string& text, const std::string& caption,
                  unsigned style) override;

 protected:
  // Qt would hide the window and end the program in the middle of a run;
  // during a run the close is only remembered and done when the run returns.
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildTopBar();
  void BuildList();
  void BuildBottomBar();
  void BuildStatusBar();
  void SetTabOrder();
  void ConnectHandlers();

  bool running_ = false;
  bool stop_requested_ = false;
  bool close_requested_ = false;
};

// The window caption: title, " Ver0.10", the blanks, the credit.
QString MainCaption();

extern TFormMain* FormMain;

}  // namespace pbx::app
