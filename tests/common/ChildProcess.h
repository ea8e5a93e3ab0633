#pragma once

#include "SlowMachine.h"

#include <QProcess>
#include <QtTest>

// Another program run to its end, for tests that check what it printed and how it ended.
namespace ChildProcess {

struct Outcome
{
    int code = -1; // -1: it crashed or did not end in time
    QByteArray out, err;
};

// Runs a program to its end with input on its standard input. This process's events go on
// meanwhile: xclip may be reading a clipboard this process owns.
inline Outcome run(const QString& program, const QStringList& arguments, const QByteArray& input = {},
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process; // killed on destruction when it does not finish
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, kSlowMachineMs))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        process.readAllStandardOutput(), process.readAllStandardError()};
}

} // namespace ChildProcess
