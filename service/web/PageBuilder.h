#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QThreadPool>

#include "common/JournalText.h"

#include <functional>

// Builds the web server's pages on a worker thread of its own, so the event
// loop that handles the line never waits for a page (reading the recent-calls
// list, day files, contacts, a journal). A page asked for again while it is
// being built is built once: every asker gets the same bytes. Pages are built
// one after another, so at most one page's working memory is in use.
// A page as built: the whole answer; or, for a journal page, its start, the
// part of the journal whose text follows (so its text is read again as it
// goes out, never held whole) and the rest.
struct BuiltPage {
    QByteArray bytes;
    QString journalPath; // empty: bytes is the whole answer
    JournalText::Extent journalExtent;
    qint64 journalTextBytes = 0;
    QByteArray after;
};

class PageBuilder : public QObject {
    Q_OBJECT
public:
    using Build = std::function<BuiltPage()>;
    using Done = std::function<void(const BuiltPage& page)>;

    explicit PageBuilder(QObject* parent = nullptr);
    ~PageBuilder() override;

    // Runs build on the worker (or joins the build of the same key already
    // under way; an empty key never joins) and calls done on this object's
    // thread with the result, unless receiver is gone by then. build must
    // touch nothing that the event loop's thread changes.
    void request(const QString& key, Build build, QObject* receiver, Done done);

    // Waits until every build under way has ended; their results are dropped.
    void cancelAll();

private:
    struct Waiter {
        QPointer<QObject> receiver;
        Done done;
    };
    void finished(const QString& key, quint64 id, const BuiltPage& page);

    QThreadPool m_pool;
    quint64 m_nextId = 0;
    // By key: the build under way, and who waits for it.
    struct Pending {
        quint64 id = 0;
        QList<Waiter> waiters;
    };
    QHash<QString, Pending> m_pending;
};
