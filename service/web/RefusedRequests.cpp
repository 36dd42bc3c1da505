#include "service/web/RefusedRequests.h"

namespace {

const QString kOthers = QStringLiteral("other addresses");

} // namespace

QString RefusedRequests::summary(const QString& address, qint64 left)
{
    return QString::number(left) + QStringLiteral(" more refused requests from ") + address;
}

bool RefusedRequests::admit(const QString& address, qint64 nowMs, QStringList& summaries)
{
    QString key = address;
    if (!m_minutes.contains(key) && m_minutes.size() >= kMaxAddresses)
        key = kOthers;
    Minute& minute = m_minutes[key];
    if (minute.lines > 0 && nowMs - minute.startMs >= kMinuteMs) {
        if (minute.left > 0)
            summaries.append(summary(key, minute.left));
        minute = Minute();
    }
    if (minute.lines == 0)
        minute.startMs = nowMs;
    if (minute.lines < kLinesPerMinute) {
        ++minute.lines;
        return true;
    }
    ++minute.left;
    return false;
}

QStringList RefusedRequests::takeSummaries(qint64 nowMs)
{
    QStringList summaries;
    for (auto it = m_minutes.begin(); it != m_minutes.end();) {
        if (nowMs - it->startMs < kMinuteMs) {
            ++it;
            continue;
        }
        if (it->left > 0)
            summaries.append(summary(it.key(), it->left));
        it = m_minutes.erase(it);
    }
    return summaries;
}
