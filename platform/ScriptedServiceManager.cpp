#include "platform/ScriptedServiceManager.h"

#include "common/Clock.h"

ServiceManagerReply ScriptedServiceManager::run(const QString& verb, const QStringList& arguments)
{
    m_requests.append({Clock::instance().elapsedMs(), verb, arguments});
    ServiceManagerReply reply = m_results.value(verb);
    if (reply.status != 0)
        return reply;
    if (verb == u"show")
        reply.output
            = QStringLiteral("LoadState=%1\nActiveState=%2\n").arg(m_loadState, m_activeState).toUtf8();
    const auto after = m_after.constFind(verb);
    if (after != m_after.cend())
        setState(after->load, after->active);
    return reply;
}

void ScriptedServiceManager::setState(const QString& loadState, const QString& activeState)
{
    m_loadState = loadState;
    m_activeState = activeState;
}

void ScriptedServiceManager::setResult(const QString& verb, int status, const QString& error)
{
    if (status == 0)
        m_results.remove(verb);
    else
        m_results.insert(verb, {status, {}, error});
}

void ScriptedServiceManager::setStateAfter(
    const QString& verb, const QString& loadState, const QString& activeState)
{
    m_after.insert(verb, {loadState, activeState});
}

QStringList ScriptedServiceManager::verbs() const
{
    QStringList list;
    for (const Request& request : m_requests)
        list << request.verb;
    return list;
}
