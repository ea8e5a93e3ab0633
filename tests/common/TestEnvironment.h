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
    TestEnvironment()
    {
        const QString home = m_dir.path();
        QDir(home).mkpath(QStringLiteral("runtime"));
        QFile::setPermissions(
            home + QStringLiteral("/runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("HOME", home.toLocal8Bit());
        qputenv("XDG_DATA_HOME", (home + QStringLiteral("/.local/share")).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toLocal8Bit());
        qputenv("XDG_CACHE_HOME", (home + QStringLiteral("/.cache")).toLocal8Bit());
        qputenv("XDG_RUNTIME_DIR", (home + QStringLiteral("/runtime")).toLocal8Bit());
    }

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

// For tests of the domain libraries, which link Qt Core only; see also TRELLIN_GUI_TEST_MAIN.
#define TRELLIN_TEST_MAIN(TestClass) TRELLIN_TEST_MAIN_IMPL(TestClass, QCoreApplication)
