#include "app/About.h"

#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "app/Fonts.h"
#include "app/Pictures.h"
#include "app/Texts.h"

namespace pbx::app {

TAboutBox* AboutBox = nullptr;

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QString::fromUtf8("ﾊﾞｰｼﾞｮﾝ情報"));
  setFont(DesignFont(12));
  setFixedSize(307, 205);
  setSizeGripEnabled(false);

  Panel1 = new QFrame(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setGeometry(5, 16, 297, 145);
  // Lowered outside, raised inside: Qt draws that as a sunken box.
  Panel1->setFrameShape(QFrame::Box);
  Panel1->setFrameShadow(QFrame::Sunken);

  Label1 = MakeLabel("Label1", kToolTitle, 8, 22, 16, true);
  ImageAbout = new QLabel(Panel1);
  ImageAbout->setObjectName(QStringLiteral("ImageAbout"));
  ImageAbout->setGeometry(26, 43, 32, 32);
  ImageAbout->setPixmap(HeartPicture());
  Label2 = MakeLabel("Label2", kVersionLabel, 96, 48, 16, true);
  Label3 = MakeLabel("Label3", kCredit, 40, 82, 16, true);
  Label5 = MakeLabel("Label5", kWebAddress, 40, 104, 15, false);
  Label4 = MakeLabel("Label4", kEmail, 64, 118, 16, true);

  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setGeometry(117, 172, 75, 25);
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
  OKButton->setFocus();
}

QLabel* TAboutBox::MakeLabel(const char* name, const char* text, int x, int y,
                             int pixel_height, bool black) {
  auto* label = new QLabel(QString::fromUtf8(text), Panel1);
  label->setObjectName(QString::fromLatin1(name));
  label->setFont(DesignFont(pixel_height));
  label->setTextFormat(Qt::PlainText);
  QPalette palette = label->palette();
  if (black) palette.setColor(QPalette::WindowText, Qt::black);
  label->setPalette(palette);
  label->setAutoFillBackground(true);  // opaque on the panel's colour
  label->move(x, y);
  label->adjustSize();
  return label;
}

int TAboutBox::ShowModal() {
  if (!placed_) {
    const QRect screen = (parentWidget() ? parentWidget()->screen()
                                         : QGuiApplication::primaryScreen())
                             ->availableGeometry();
    // Creating the window first tells Qt the frame's size where the window
    // system reports it, so that the box is centred frame included.
    winId();
    const QRect frame = frameGeometry();
    move(screen.center() - QPoint(frame.width() / 2, frame.height() / 2));
    placed_ = true;
  }
  OKButton->setFocus();
  return exec();
}

void TAboutBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace pbx::app
