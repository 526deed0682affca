// Test entry point: the program's own application object, so that events
// and exceptions in handlers are dispatched as in the program.
#pragma once

#include <QTest>

#include "app/Application.h"

#define PBX_APP_TEST_MAIN(TestClass)                                \
  int main(int argc, char** argv) {                                 \
    pbx::app::TApplication application(argc, argv);                 \
    /* Tests close the main window; the test itself must go on. */  \
    application.setQuitOnLastWindowClosed(false);                   \
    TestClass test;                                                 \
    return QTest::qExec(&test, argc, argv);                         \
  }
