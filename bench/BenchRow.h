#pragma once

#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <vector>

// The one output format every benchmark shares: `make bench` collects these lines into one table.
// BENCHROW <tab> figure <tab> program value <tab> floor value <tab> ratio <tab> goal <tab> ok|MISSED
namespace BenchRow {

inline double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

inline QString milliseconds(double seconds)
{
    return QStringLiteral("%1 ms").arg(seconds * 1000, 0, 'f', seconds < 0.01 ? 2 : 1);
}

inline QString mebibytes(double bytes)
{
    return QStringLiteral("%1 MiB").arg(bytes / (1024.0 * 1024.0), 0, 'f', 1);
}

inline void print(const QString& figure, const QString& program, const QString& floor, double ratio,
    const QString& goal, bool ok)
{
    std::printf("BENCHROW\t%s\t%s\t%s\t%.2fx\t%s\t%s\n", qPrintable(figure), qPrintable(program),
        qPrintable(floor), ratio, qPrintable(goal), ok ? "ok" : "MISSED");
    std::fflush(stdout);
}

// A figure whose goal is a ratio to its floor.
inline void ratio(const QString& figure, const QString& program, double programValue, const QString& floor,
    double floorValue, double goal)
{
    const double r = floorValue > 0 ? programValue / floorValue : 0;
    print(figure, program, floor, r, QStringLiteral("<= %1x").arg(goal, 0, 'f', 1),
        floorValue > 0 && r <= goal);
}

// A time whose goal is both a ratio to its floor and an absolute limit; either may be missing (0).
inline void timing(
    const QString& figure, double seconds, double floorSeconds, double goalRatio, double limitSeconds)
{
    const double r = floorSeconds > 0 ? seconds / floorSeconds : 0;
    QStringList goals;
    bool ok = true;
    if (goalRatio > 0) {
        goals << QStringLiteral("<= %1x").arg(goalRatio, 0, 'f', 1);
        ok = ok && floorSeconds > 0 && r <= goalRatio;
    }
    if (limitSeconds > 0) {
        goals << QStringLiteral("<= %1 ms").arg(limitSeconds * 1000, 0, 'f', 0);
        ok = ok && seconds <= limitSeconds;
    }
    print(figure, milliseconds(seconds), floorSeconds > 0 ? milliseconds(floorSeconds) : QStringLiteral("-"),
        r, goals.join(QStringLiteral(", ")), ok);
}

} // namespace BenchRow
