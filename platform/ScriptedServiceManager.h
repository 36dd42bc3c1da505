#pragma once

#include "platform/ServiceManagerControl.h"

#include <QHash>
#include <QList>

// A service manager that answers from a script instead of running systemctl,
// for tests of the windows that drive the service: the unit's state as
// "show" reports it, a result per verb, states that follow a verb, and every
// request with the clock's time it came at.
class ScriptedServiceManager final : public ServiceManagerControl {
public:
    struct Request {
        qint64 atMs = 0; // Clock::instance().elapsedMs()
        QString verb;
        QStringList arguments;
    };

    ServiceManagerReply run(const QString& verb, const QStringList& arguments = {}) override;

    // What "show" reports; a unit nobody installed is "not-found", "inactive".
    void setState(const QString& loadState, const QString& activeState);
    // The verb fails with status and error (status 0: it succeeds again).
    void setResult(const QString& verb, int status, const QString& error = QString());
    // After a successful verb the unit is in this state.
    void setStateAfter(const QString& verb, const QString& loadState, const QString& activeState);

    QString loadState() const { return m_loadState; }
    QString activeState() const { return m_activeState; }
    const QList<Request>& requests() const { return m_requests; }
    // The verbs asked for, in order.
    QStringList verbs() const;
    void clearRequests() { m_requests.clear(); }

private:
    struct State {
        QString load;
        QString active;
    };

    QString m_loadState = QStringLiteral("not-found");
    QString m_activeState = QStringLiteral("inactive");
    QHash<QString, ServiceManagerReply> m_results;
    QHash<QString, State> m_after;
    QList<Request> m_requests;
};
