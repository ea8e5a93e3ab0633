#include "core/RecordFile.h"

#include "core/FolderLock.h"
#include "core/TextCodec.h"
#include "core/TextFile.h"

#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

const QString RecordFile::kMarker = QStringLiteral("!\u00AC:");

QString RecordFile::keyText(int key)
{
    return QStringLiteral("%1").arg(key, 2, 10, QLatin1Char('0'));
}

QString RecordFile::readRecord(const QString& file, int key, const QString& defaultText)
{
    const Result<QString> content = TextFile::read(file);
    if (!content || key < 1 || key > 99)
        return defaultText;
    const QString text = records(*content)[std::size_t(key)];
    return text.isEmpty() ? defaultText : text;
}

std::array<QString, 100> RecordFile::records(const QString& content)
{
    std::array<QString, 100> texts;
    std::array<bool, 100> seen {};
    int key = 0;
    for (const QString& line : TextCodec::splitLines(content)) {
        if (isHeader(line)) {
            const QChar tens = line.at(0);
            const QChar ones = line.at(1);
            key = 0;
            if (tens >= u'0' && tens <= u'9' && ones >= u'0' && ones <= u'9') {
                const int value = (tens.unicode() - u'0') * 10 + (ones.unicode() - u'0');
                if (value >= 1 && !seen[std::size_t(value)]) {
                    seen[std::size_t(value)] = true;
                    key = value;
                    texts[std::size_t(key)] = line.mid(5);
                }
            }
        } else if (key != 0) {
            texts[std::size_t(key)] += QStringLiteral("\r\n") + line;
        }
    }
    return texts;
}

QString RecordFile::longTextQuestion(const QString& text)
{
    constexpr int kShownLines = 5;
    constexpr int kShownCharacters = 400;
    const QString dropped = text.mid(cutToLimit(text).size());
    QString shown = dropped.left(kShownCharacters);
    const QStringList lines = shown.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    if (lines.size() > kShownLines)
        shown = lines.mid(0, kShownLines).join(u'\n');
    if (shown.size() < dropped.size())
        shown += QStringLiteral(" ...");
    return QStringLiteral(
               "Continue?\n\nThe text is over 9,999 characters long. The following will not be saved:\n\n")
        + shown
        + QStringLiteral("\n\n(%1 character%2 will not be saved.)")
              .arg(QLocale(QLocale::English).toString(dropped.size()),
                  dropped.size() == 1 ? QString() : QStringLiteral("s"));
}

QString RecordFile::cutToLimit(const QString& text)
{
    if (text.size() <= kMaxTextLength)
        return text;
    qsizetype length = kMaxTextLength;
    if (text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length);
}

Result<> RecordFile::writeRecord(const QString& file, int key, const QString& text)
{
    if (text.size() > kMaxTextLength)
        return Result<>::failure(
            QStringLiteral("the text is %1 characters long, over the limit of 9,999").arg(text.size()));
    const QString& stored = text;

    FolderLock lock(QFileInfo(file).absolutePath());
    if (!lock.isLocked())
        return Result<>::failure(lock.errorString());

    const Result<QString> existing = TextFile::readForRewrite(file);
    if (!existing)
        return Result<>::failure(existing.error());
    const QStringList lines = TextCodec::splitLines(*existing);

    const QString wanted = keyText(key);
    QStringList kept;
    kept.reserve(lines.size() + 1);
    bool copying = true; // so stray continuation lines before the first header survive
    for (const QString& line : std::as_const(lines)) {
        if (isHeader(line))
            copying = line.left(2) != wanted;
        if (copying)
            kept.append(line);
    }
    QString content = TextCodec::joinLines(kept);
    if (!stored.isEmpty())
        content += wanted + kMarker + stored + QStringLiteral("\r\n");

    return TextFile::writeAtomically(file, TextCodec::encode(content));
}
