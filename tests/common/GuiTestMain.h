#pragma once

#include "TestEnvironment.h"

#include <QApplication>

// For widget, platform and end-to-end tests: a QApplication at 96 DPI, so twips convert the
// same way on every machine.
#define TRELLIN_GUI_TEST_MAIN(TestClass)                                                                     \
    int main(int argc, char** argv)                                                                          \
    {                                                                                                        \
        TestEnvironment environment;                                                                         \
        QApplication::setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        QApplication app(argc, argv);                                                                        \
        TestClass test;                                                                                      \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
