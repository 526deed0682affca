// The about box: title, version, credit, contact and the heart picture.
// Created once at start-up and only hidden when closed, so it reappears
// where it was left.
#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace pbx::app {

class TAboutBox : public QDialog {
 public:
  explicit TAboutBox(QWidget* parent = nullptr);

  QFrame* Panel1;
  QPushButton* OKButton;
  QLabel* Label1;
  QLabel* Label2;
  QLabel* Label3;
  QLabel* Label4;
  QLabel* ImageAbout;
  QLabel* Label5;

  // Shows the box modally: centred on the screen the first time, where it
  // was left afterwards. Returns QDialog::Accepted for the OK button.
  int ShowModal();

 protected:
  // The box has no cancel button: Esc closes nothing.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QLabel* MakeLabel(const char* name, const char* text, int x, int y,
                    int pixel_height, bool black);
  bool placed_ = false;
};

extern TAboutBox* AboutBox;

}  // namespace pbx::app
