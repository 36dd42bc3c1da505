#include "service/web/PageBuilder.h"

#include <QMetaObject>

#include <utility>

PageBuilder::PageBuilder(QObject* parent)
    : QObject(parent)
{
    m_pool.setMaxThreadCount(1);
    // The worker stays for the next page instead of starting anew each time.
    m_pool.setExpiryTimeout(-1);
}

PageBuilder::~PageBuilder()
{
    cancelAll();
}

void PageBuilder::request(const QString& key, Build build, QObject* receiver, Done done)
{
    // A key of its own for a build that nothing may join.
    const quint64 id = ++m_nextId;
    const QString slotKey = key.isEmpty() ? QStringLiteral("\x01") + QString::number(id) : key;
    if (auto it = m_pending.find(slotKey); it != m_pending.end()) {
        it->waiters.append({receiver, std::move(done)});
        return;
    }
    m_pending.insert(slotKey, Pending{id, {Waiter{receiver, std::move(done)}}});
    m_pool.start([this, slotKey, id, build = std::move(build)] {
        BuiltPage page = build();
        // This object outlives every task: its destruction waits for them.
        QMetaObject::invokeMethod(
            this, [this, slotKey, id, page = std::move(page)] { finished(slotKey, id, page); },
            Qt::QueuedConnection);
    });
}

void PageBuilder::cancelAll()
{
    m_pending.clear();
    m_pool.waitForDone();
}

void PageBuilder::finished(const QString& key, quint64 id, const BuiltPage& page)
{
    const auto it = m_pending.find(key);
    if (it == m_pending.end() || it->id != id)
        return;
    const QList<Waiter> waiters = std::move(it->waiters);
    m_pending.erase(it);
    for (const Waiter& waiter : waiters) {
        if (waiter.receiver)
            waiter.done(page);
    }
}
