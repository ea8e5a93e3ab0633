#include "search/PickList.h"

#include <QFuture>
#include <QPromise>
#include <QThreadPool>

PickList::PickList(QObject* parent)
    : QObject(parent)
{ }

PickList::~PickList() = default;

PickList::Rows PickList::read(const QString& dataFolder, const QString& filter, int box)
{
    Rows rows;
    rows.filter = filter;
    rows.box = box;
    SearchOptions options;
    options.onlyBox = filter.isEmpty() ? box : 0;
    const SearchEngine::Outcome outcome
        = SearchEngine(dataFolder).findAll(filter, options, [&rows](const SearchHit& hit) {
              if (++rows.total <= kMaxRows)
                  rows.hits.append(hit);
          });
    rows.unreadable = outcome.unreadable;
    return rows;
}

void PickList::request(const QString& dataFolder, const QString& filter, int box)
{
    m_next = std::make_unique<Job>(Job {dataFolder, filter, box});
    m_pending = true;
    if (!m_running)
        startNext();
}

void PickList::startNext()
{
    const Job job = *m_next;
    m_next.reset();
    m_running = true;
    // The worker holds copies only; the answer comes back on this object's thread and is
    // dropped when this object is gone by then.
    auto promise = std::make_shared<QPromise<Rows>>();
    QFuture<Rows> future = promise->future();
    promise->start();
    // The answer is attached before the worker starts: attached to a future that has finished
    // already, it would run at once, inside request(), and answer a filter that is no longer the newest.
    future.then(this, [this](const Rows& rows) {
        m_running = false;
        if (m_next)
            return startNext();
        m_pending = false;
        emit listed(rows);
        if (const auto action = std::exchange(m_afterListed, nullptr))
            action();
    });
    QThreadPool::globalInstance()->start([promise, job] {
        promise->addResult(read(job.folder, job.filter, job.box));
        promise->finish();
    });
}

void PickList::afterListed(std::function<void()> action)
{
    m_afterListed = std::move(action);
    if (!m_pending && m_afterListed)
        std::exchange(m_afterListed, nullptr)();
}

QString PickList::label(const SearchHit& hit, bool withBox)
{
    const QString box = withBox ? QStringLiteral("Box %1  ").arg(hit.box) : QString();
    if (hit.kind == SearchHit::Kind::Macro)
        return box + QStringLiteral("M %1  %2").arg(hit.number).arg(hit.text.section(u'>', 0, 0));
    return box + QStringLiteral("%1  %2").arg(hit.number).arg(hit.text);
}
