#include "gui/widgets/LabelRow.h"

#include <QLabel>

#include <algorithm>

namespace {

int captionWidth(const QLabel* label)
{
    return label->fontMetrics().horizontalAdvance(label->text()) + 2;
}

int minimumGap(const QLabel* label)
{
    return label->fontMetrics().horizontalAdvance(QStringLiteral("  "));
}

int neededWidth(const QList<QLabel*>& labels)
{
    int total = minimumGap(labels.first()) * int(labels.size() - 1);
    for (const QLabel* label : labels)
        total += captionWidth(label);
    return total;
}

void setPixelSize(QLabel* label, int size)
{
    QFont font = label->font();
    font.setPixelSize(size);
    label->setFont(font);
}

} // namespace

void LabelRow::fit(const QList<QLabel*>& labels, int left, int right, int largestPixelSize)
{
    if (labels.isEmpty())
        return;
    // The style sheet settles the font only when a widget is polished.
    for (QLabel* label : labels) {
        label->ensurePolished();
        setPixelSize(label, std::min(largestPixelSize, QFontInfo(label->font()).pixelSize()));
    }
    while (neededWidth(labels) > right - left && QFontInfo(labels.first()->font()).pixelSize() > 8) {
        const int smaller = QFontInfo(labels.first()->font()).pixelSize() - 1;
        for (QLabel* label : labels)
            setPixelSize(label, smaller);
    }
    const int gaps = int(labels.size()) - 1;
    int spare = right - left;
    for (const QLabel* label : labels)
        spare -= captionWidth(label);
    const int gap = gaps > 0 ? std::max(0, spare) / gaps : 0;
    int x = left;
    for (QLabel* label : labels) {
        const int width = captionWidth(label);
        label->setGeometry(x, label->y(), width, label->height());
        x += width + gap;
    }
}
