#pragma once

#include "search/SearchEngine.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// The rows of the quick pick. Without a filter: the occupied positions and macros of one box.
// With a filter: every position and macro of all boxes holding it, whatever the letter case,
// positions first, as the search lists them. A filter is read on a worker thread so that typing
// never waits for the files; while one is read, only the newest filter asked for meanwhile is
// read next, and only the rows of the newest filter are handed on.
class PickList : public QObject
{
    Q_OBJECT
public:
    struct Rows
    {
        QString filter;
        int box = 0; // the box listed without a filter
        QList<SearchHit> hits; // the first kMaxRows; each hit's text is its first line
        int total = 0; // every hit, also those past kMaxRows
        QStringList unreadable; // the files that could not be read
    };
    // A short filter can match thousands of items; the list shows the first ones and the user
    // narrows it by typing on.
    static constexpr int kMaxRows = 200;

    explicit PickList(QObject* parent = nullptr);
    ~PickList() override;

    // The rows at once, on the calling thread.
    static Rows read(const QString& dataFolder, const QString& filter, int box);
    // The rows on a worker thread; listed() brings them unless a newer filter was asked for.
    void request(const QString& dataFolder, const QString& filter, int box);
    // A request has not been answered yet.
    bool isPending() const { return m_pending; }
    // Runs action once the rows of the newest filter asked for have been handed on (at once
    // when none is awaited): Enter pressed right after typing chooses from the rows of what was
    // typed. A later call replaces the action; an empty one drops it.
    void afterListed(std::function<void()> action);

    // A row as the list shows it: "12  first line" or "M 3  name", after "Box 5  " when the
    // rows come from every box.
    static QString label(const SearchHit& hit, bool withBox);

signals:
    void listed(const PickList::Rows& rows);

private:
    void startNext();

    struct Job
    {
        QString folder;
        QString filter;
        int box = 0;
    };
    // The job waiting for the running one to finish.
    std::unique_ptr<Job> m_next;
    std::function<void()> m_afterListed;
    bool m_running = false;
    bool m_pending = false;
};
