#include "search/SearchEngine.h"

#include "core/DataFiles.h"
#include "search/RecordScan.h"

SearchEngine::SearchEngine(const QString& dataFolder)
    : m_folder(dataFolder)
{ }

void SearchEngine::reset()
{
    m_textBox = m_textPosition = m_macroBox = m_macroNumber = 0;
    m_current = SearchHit();
}

bool SearchEngine::findIn(bool macros, const QString& needle, const SearchOptions& options, int& box,
    int& after, Outcome& outcome) const
{
    const RecordScan scan(needle, options.caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive);
    if (DataFiles::isValidBox(options.onlyBox))
        box = options.onlyBox;
    int position = after;
    for (int b = box == 0 ? 1 : box; b <= DataFiles::kBoxCount; ++b) {
        const QString file = macros ? DataFiles::macroFile(m_folder, b) : DataFiles::boxFile(m_folder, b);
        const Result<RecordScan::Hit> found = scan.firstHit(file, position);
        if (!found) {
            outcome.unreadable.append(found.error());
        } else if (found->key != 0) {
            box = b;
            after = found->key;
            outcome.hit
                = {macros ? SearchHit::Kind::Macro : SearchHit::Kind::Text, b, found->key, found->text};
            return true;
        }
        if (options.onlyBox != 0)
            break;
        position = 0;
    }
    return false;
}

SearchEngine::Outcome SearchEngine::find(const QString& needle, const SearchOptions& options)
{
    Outcome outcome;
    if (!options.texts && !options.macros)
        return outcome;
    outcome.searched = true;
    if (options.texts && findIn(false, needle, options, m_textBox, m_textPosition, outcome)) {
        m_current = outcome.hit;
        return outcome;
    }
    if (options.macros && findIn(true, needle, options, m_macroBox, m_macroNumber, outcome)) {
        m_current = outcome.hit;
        return outcome;
    }
    outcome.ranOut = m_textPosition != 0 || m_macroNumber != 0;
    reset();
    return outcome;
}
