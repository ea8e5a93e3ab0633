#include "search/SearchEngine.h"

#include "core/DataFiles.h"
#include "search/RecordScan.h"

#include <QThread>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace {

Qt::CaseSensitivity sensitivityOf(const SearchOptions& options)
{
    return options.caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
}

} // namespace

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
    const RecordScan scan(needle, sensitivityOf(options));
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

SearchEngine::Outcome SearchEngine::findAll(const QString& needle, const SearchOptions& options,
    const std::function<void(const SearchHit&)>& each) const
{
    Outcome outcome;
    if (!options.texts && !options.macros)
        return outcome;
    outcome.searched = true;
    struct File
    {
        bool macros;
        int box;
    };
    std::vector<File> files;
    for (const bool macros : {false, true}) {
        for (int b = 1; b <= DataFiles::kBoxCount && (macros ? options.macros : options.texts); ++b) {
            if (!DataFiles::isValidBox(options.onlyBox) || b == options.onlyBox)
                files.push_back({macros, b});
        }
    }

    // Workers take the files in order and leave each file's hits in its slot; this thread hands
    // them on slot by slot, so the order is that of find() however the reads interleave.
    using Hits = Result<QList<RecordScan::Hit>>;
    const RecordScan scan(needle, sensitivityOf(options));
    std::vector<std::optional<Hits>> results(files.size());
    std::mutex mutex;
    std::condition_variable filled;
    std::atomic<std::size_t> next {0};
    auto work = [&] {
        for (std::size_t i = next++; i < files.size(); i = next++) {
            const QString file = files[i].macros ? DataFiles::macroFile(m_folder, files[i].box)
                                                 : DataFiles::boxFile(m_folder, files[i].box);
            Hits hits = scan.hits(file, 0, DataFiles::kPositionCount, RecordScan::Text::FirstLine);
            {
                const std::lock_guard lock(mutex);
                results[i].emplace(std::move(hits));
            }
            filled.notify_one();
        }
    };
    const std::size_t threadCount = std::clamp<std::size_t>(std::size_t(QThread::idealThreadCount()), 1, 8);
    std::vector<std::thread> workers;
    for (std::size_t t = 0; t < std::min(threadCount, files.size()); ++t)
        workers.emplace_back(work);
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::unique_lock lock(mutex);
        filled.wait(lock, [&] { return results[i].has_value(); });
        const Hits hits = std::move(*results[i]);
        results[i].reset();
        lock.unlock();
        if (!hits) {
            outcome.unreadable.append(hits.error());
            continue;
        }
        for (const RecordScan::Hit& hit : *hits)
            each({files[i].macros ? SearchHit::Kind::Macro : SearchHit::Kind::Text, files[i].box, hit.key,
                hit.text});
    }
    for (std::thread& worker : workers)
        worker.join();
    return outcome;
}
