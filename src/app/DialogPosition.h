#pragma once

#include <QPoint>
#include <QString>

class SettingsStore;

// Where a dialog opens and what it remembers when it closes, in twips. A missing edge gives
// 36; an edge beyond the screen extent less 1500 twips (stored on a larger screen) gives 336
// for the left and 372 for the top edge, so the dialog stays reachable.
class DialogPosition
{
public:
    DialogPosition(SettingsStore& settings, const QString& leftKey, const QString& topKey);

    QPoint restore(int screenWidthTwips, int screenHeightTwips) const;
    // A minimised or half-hidden dialog reports edges of 0 or less; those are not stored, so
    // the previous position stays.
    bool store(const QPoint& edges);

    static constexpr int kMissing = 36;
    static constexpr int kOffscreenLeft = 336;
    static constexpr int kOffscreenTop = 372;

private:
    int edge(const QString& key, int screenExtentTwips, int offscreenValue) const;

    SettingsStore& m_settings;
    QString m_leftKey;
    QString m_topKey;
};
