#pragma once

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

// What a benchmark that types into a target window needs before it starts: an X display, and a
// runtime folder, so that the target window's Qt does not warn about a missing one.
class X11BenchSession
{
public:
    explicit X11BenchSession(const char* name)
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) {
            std::fprintf(stderr, "%s needs an X display: run it through scripts/x11-session.sh\n", name);
            return;
        }
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && m_runtime.isValid()) {
            QFile::setPermissions(m_runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
        }
        m_ready = true;
    }
    bool ready() const { return m_ready; }

private:
    QTemporaryDir m_runtime;
    bool m_ready = false;
};
