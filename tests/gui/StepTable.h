#pragma once

#include <QStringList>
#include <QtTest>

#include <functional>
#include <map>

// One row of a widget test's step table: an action with its argument (' ': none), then what the
// named parts show (space-separated names, their texts joined with "|").
struct Step
{
    char action;
    const char* arg;
    const char* probe;
    const char* expected;
};

// Runs the rows in order; a part showing something else fails the test, naming the row.
inline void runSteps(std::initializer_list<Step> steps, const std::function<void(char, const QString&)>& act,
    const std::function<std::map<QString, QString>()>& parts)
{
    int row = 0;
    for (const Step& step : steps) {
        ++row;
        if (step.action != ' ')
            act(step.action, QString::fromUtf8(step.arg));
        const std::map<QString, QString> shown = parts();
        QStringList texts;
        for (const QString& what : QString::fromLatin1(step.probe).split(u' ', Qt::SkipEmptyParts))
            texts.append(shown.contains(what) ? shown.at(what) : QStringLiteral("(no part %1)").arg(what));
        const QString where = QStringLiteral("step %1 %2: %3 shows ").arg(row).arg(step.arg, step.probe);
        QVERIFY2(texts.join(u'|') == QString::fromUtf8(step.expected), qPrintable(where + texts.join(u'|')));
    }
}
