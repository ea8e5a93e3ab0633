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

struct ScanFile
{
    bool macros;
    int box;
    int after; // the hits after this key
};

using FileHits = Result<QList<RecordScan::Hit>>;

QString fileName(const QString& folder, const ScanFile& file)
{
    return file.macros ? DataFiles::macroFile(folder, file.box) : DataFiles::boxFile(folder, file.box);
}

// Reads the files on several threads and hands each file's hits to `take` in the order of the
// list, however the reads interleave; stops reading when `take` returns false. Workers take
// the files in order and leave each one's hits in its slot for this thread.
void scanInOrder(const QString& folder, const std::vector<ScanFile>& files, const RecordScan& scan,
    qsizetype limit, RecordScan::Text text, const std::function<bool(const ScanFile&, const FileHits&)>& take)
{
    std::vector<std::optional<FileHits>> results(files.size());
    std::mutex mutex;
    std::condition_variable filled;
    std::atomic<std::size_t> next {0};
    std::atomic<bool> stop {false};
    auto work = [&] {
        for (std::size_t i = next++; i < files.size() && !stop; i = next++) {
            const ScanFile& file = files[i];
            FileHits hits = scan.hits(
                file.macros ? DataFiles::macroFile(folder, file.box) : DataFiles::boxFile(folder, file.box),
                file.after, limit, text);
            {
                const std::lock_guard lock(mutex);
                results[i].emplace(std::move(hits));
            }
            filled.notify_one();
        }
    };
    const std::size_t threadCount
        = std::min(files.size(), std::clamp<std::size_t>(std::size_t(QThread::idealThreadCount()), 1, 8));
    std::vector<std::thread> workers;
    for (std::size_t t = 0; t < threadCount; ++t)
        workers.emplace_back(work);
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::unique_lock lock(mutex);
        filled.wait(lock, [&] { return results[i].has_value(); });
        const FileHits hits = std::move(*results[i]);
        results[i].reset();
        lock.unlock();
        if (!take(files[i], hits)) {
            stop = true;
            break;
        }
    }
    for (std::thread& worker : workers)
        worker.join();
}

SearchHit hitOf(const ScanFile& file, const RecordScan::Hit& hit)
{
    return {file.macros ? SearchHit::Kind::Macro : SearchHit::Kind::Text, file.box, hit.key, hit.text};
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
    if (DataFiles::isValidBox(options.onlyBox))
        box = options.onlyBox;
    std::vector<ScanFile> files;
    for (int b = box == 0 ? 1 : box; b <= DataFiles::kBoxCount; ++b) {
        files.push_back({macros, b, files.empty() ? after : 0});
        if (options.onlyBox != 0)
            break;
    }
    // The file of the last hit on this thread: most presses find the next hit there, and a
    // handoff between threads would cost more than the read. The files after it several at a time.
    const RecordScan scan(needle, sensitivityOf(options));
    bool found = false;
    auto take = [&](const ScanFile& file, const FileHits& hits) {
        if (!hits) {
            outcome.unreadable.append(hits.error());
            return true;
        }
        if (hits->isEmpty())
            return true;
        box = file.box;
        after = hits->first().key;
        outcome.hit = hitOf(file, hits->first());
        found = true;
        return false;
    };
    if (files.empty()
        || !take(
            files.front(), scan.hits(fileName(m_folder, files.front()), after, 1, RecordScan::Text::Whole)))
        return found;
    files.erase(files.begin());
    scanInOrder(m_folder, files, scan, 1, RecordScan::Text::Whole, take);
    return found;
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
    std::vector<ScanFile> files;
    for (const bool macros : {false, true}) {
        for (int b = 1; b <= DataFiles::kBoxCount && (macros ? options.macros : options.texts); ++b) {
            if (!DataFiles::isValidBox(options.onlyBox) || b == options.onlyBox)
                files.push_back({macros, b, 0});
        }
    }
    scanInOrder(m_folder, files, RecordScan(needle, sensitivityOf(options)), DataFiles::kPositionCount,
        RecordScan::Text::FirstLine, [&](const ScanFile& file, const FileHits& hits) {
            if (!hits)
                outcome.unreadable.append(hits.error());
            for (const RecordScan::Hit& hit : hits ? *hits : QList<RecordScan::Hit>())
                each(hitOf(file, hit));
            return true;
        });
    return outcome;
}
