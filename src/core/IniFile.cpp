#include "core/IniFile.h"

#include "core/FolderLock.h"
#include "core/TextCodec.h"
#include "core/TextFile.h"

#include <QDir>
#include <QFileInfo>
#include <QList>

#include <optional>

namespace {

// One line of the file with its own terminator, so lines we do not touch keep their bytes.
struct Line
{
    QString text;
    QString end;
};

QList<Line> splitKeepingEnds(const QString& content)
{
    QList<Line> lines;
    qsizetype start = 0;
    const qsizetype n = content.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = content.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        const qsizetype endLength = (c == u'\r' && i + 1 < n && content.at(i + 1) == u'\n') ? 2 : 1;
        lines.append({content.mid(start, i - start), content.mid(i, endLength)});
        i += endLength - 1;
        start = i + 1;
    }
    if (start < n)
        lines.append({content.mid(start), QString()});
    return lines;
}

std::optional<QString> sectionName(const QString& line)
{
    const QString t = line.trimmed();
    if (!t.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = t.indexOf(u']');
    if (close < 0)
        return std::nullopt;
    return t.mid(1, close - 1).trimmed();
}

struct KeyValue
{
    QString key;
    QString value;
};

std::optional<KeyValue> keyValue(const QString& line)
{
    const qsizetype eq = line.indexOf(u'=');
    if (eq <= 0)
        return std::nullopt;
    const QString key = line.left(eq).trimmed();
    if (key.isEmpty() || key.startsWith(u';'))
        return std::nullopt;
    QString value = line.mid(eq + 1).trimmed();
    // A value wrapped in matching quotes is read without them, as Windows does.
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'')
        && value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return KeyValue {key, value};
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

QString IniFile::read(
    const QString& path, const QString& section, const QString& key, const QString& defaultValue)
{
    const Result<QString> content = TextFile::read(path);
    if (!content)
        return defaultValue.left(kMaxValueLength);
    return valueIn(*content, section, key, defaultValue);
}

QString IniFile::valueIn(
    const QString& content, const QString& section, const QString& key, const QString& defaultValue)
{
    bool inSection = false;
    bool sectionSeen = false;
    for (const Line& line : splitKeepingEnds(content)) {
        if (const auto name = sectionName(line.text)) {
            // Only the first section of a name counts, as with the Windows functions.
            if (sectionSeen && inSection)
                break;
            inSection = sameName(*name, section);
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection)
            continue;
        if (const auto kv = keyValue(line.text); kv && sameName(kv->key, key))
            return kv->value.left(kMaxValueLength);
    }
    return defaultValue.left(kMaxValueLength);
}

Result<> IniFile::write(const QString& path, const QString& section, const QString& key, const QString& value)
{
    QString clean = value;
    clean.replace(u'\r', u' ').replace(u'\n', u' ');

    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return Result<>::failure(QStringLiteral("could not create the folder %1").arg(folder));
    // The settings file may sit in a folder the data files moved out of.
    FolderLock lock(folder, 5000, FolderLock::Use::AnyFiles);
    if (!lock.isLocked())
        return Result<>::failure(lock.errorString());

    const Result<QString> existing = TextFile::readForRewrite(path);
    if (!existing)
        return Result<>::failure(existing.error());
    QList<Line> lines = splitKeepingEnds(*existing);
    const QString crlf = QStringLiteral("\r\n");

    qsizetype sectionStart = -1;
    qsizetype insertAt = -1; // after the last non-blank line of the section
    qsizetype keyLine = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (const auto name = sectionName(lines[i].text)) {
            if (sectionStart >= 0)
                break;
            if (sameName(*name, section)) {
                sectionStart = i;
                insertAt = i + 1;
            }
            continue;
        }
        if (sectionStart < 0)
            continue;
        if (!lines[i].text.trimmed().isEmpty())
            insertAt = i + 1;
        if (const auto kv = keyValue(lines[i].text); kv && sameName(kv->key, key)) {
            keyLine = i;
            break;
        }
    }

    if (keyLine >= 0) {
        const auto kv = keyValue(lines[keyLine].text);
        // A value stored already needs no rewrite (and no wait for the disk): the window stores
        // its box and position at every close, mostly unchanged.
        if (kv->value == clean)
            return Result<>::success();
        lines[keyLine].text = kv->key + u'=' + clean;
    } else if (sectionStart >= 0) {
        if (lines[insertAt - 1].end.isEmpty())
            lines[insertAt - 1].end = crlf;
        lines.insert(insertAt, {key + u'=' + clean, crlf});
    } else {
        if (!lines.isEmpty() && lines.last().end.isEmpty())
            lines.last().end = crlf;
        lines.append({u'[' + section + u']', crlf});
        lines.append({key + u'=' + clean, crlf});
    }

    QString content;
    for (const Line& line : lines)
        content += line.text + line.end;
    return TextFile::writeAtomically(path, TextCodec::encode(content));
}
