// Start-up: the application object, the main window, then the about box,
// then the event loop. Command-line arguments are ignored.
#include <exception>
#include <memory>

#include "app/About.h"
#include "app/Application.h"
#include "app/Pictures.h"
#include "app/UnitMain.h"

using pbx::app::AboutBox;
using pbx::app::FormMain;

int main(int argc, char** argv) {
  // Qt only sees the program's name: options such as -reverse or -style
  // must not change the program. The title is formed from this name.
  int qt_argc = argc > 0 ? 1 : 0;
  char* qt_argv[] = {argc > 0 ? argv[0] : nullptr, nullptr};
  pbx::app::TApplication application(qt_argc, qt_argv);
  // The counterpart of the executable's icon resource: every window of the
  // program shows the heart in its title bar.
  QApplication::setWindowIcon(pbx::app::HeartIcon());
  // Both windows belong to start-up for the whole life of the program and
  // go with it at exit, whether or not they were ever shown.
  std::unique_ptr<pbx::app::TFormMain> main_window;
  std::unique_ptr<pbx::app::TAboutBox> about_box;
  try {
    main_window = std::make_unique<pbx::app::TFormMain>();
    FormMain = main_window.get();
    about_box = std::make_unique<pbx::app::TAboutBox>();
    AboutBox = about_box.get();
    FormMain->show();
    application.exec();
  } catch (const std::exception& error) {
    pbx::app::TApplication::ShowException(error);
  }
  AboutBox = nullptr;
  FormMain = nullptr;
  return 0;
}
