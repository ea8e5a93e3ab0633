#pragma once

#include "SlowMachine.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QtTest>

// Points HOME and the XDG folders into a fresh temporary folder, so no test ever reads or
// writes the real home folder.
class TestEnvironment
{
public:
    TestEnvironment();

private:
    QTemporaryDir m_dir;
};

#define TRELLIN_TEST_MAIN_IMPL(TestClass, AppClass)                                                          \
    int main(int argc, char** argv)                                                                          \
    {                                                                                                        \
        TestEnvironment environment;                                                                         \
        AppClass app(argc, argv);                                                                            \
        TestClass test;                                                                                      \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&test, argc, argv);                                                              \
    }

// For tests of the domain libraries, which link Qt Core only. Widget, platform and end-to-end
// tests use TRELLIN_GUI_TEST_MAIN from tests/gui/GuiTestMain.h.
#define TRELLIN_TEST_MAIN(TestClass) TRELLIN_TEST_MAIN_IMPL(TestClass, QCoreApplication)
