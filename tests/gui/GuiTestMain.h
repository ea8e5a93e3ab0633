#pragma once

#include "TestEnvironment.h"

#include <QApplication>

// A QApplication at 96 DPI, so twips convert the same way on every machine.
class GuiTestApplication : public QApplication
{
public:
    GuiTestApplication(int& argc, char** argv)
        : QApplication((setAttribute(Qt::AA_Use96Dpi), argc), argv)
    { }
};

#define TRELLIN_GUI_TEST_MAIN(TestClass) TRELLIN_TEST_MAIN_IMPL(TestClass, GuiTestApplication)
