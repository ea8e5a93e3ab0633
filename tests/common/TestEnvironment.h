#pragma once

#include "SlowMachine.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QtTest>

// Every test spells its texts u"like this"_s.
using namespace Qt::StringLiterals;

// Points HOME and the XDG folders into a fresh temporary folder, so no test ever reads or
// writes the real home folder.
class TestEnvironment
{
public:
    TestEnvironment()
    {
        const QString home = m_dir.path();
        QDir(home).mkpath(u"runtime"_s);
        QFile::setPermissions(home + u"/runtime"_s, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("HOME", home.toLocal8Bit());
        qputenv("XDG_DATA_HOME", (home + u"/.local/share"_s).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (home + u"/.config"_s).toLocal8Bit());
        qputenv("XDG_CACHE_HOME", (home + u"/.cache"_s).toLocal8Bit());
        qputenv("XDG_RUNTIME_DIR", (home + u"/runtime"_s).toLocal8Bit());
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
