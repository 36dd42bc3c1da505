#include "common/MailProgress.h"

QString MailProgressText(const QString& label, qint64 total, qint64 done)
{
    qint64 percent = 0;
    if (total > 0) {
        const qint64 scaled = done * 100;
        percent = scaled / total;
        const qint64 twiceRest = (scaled % total) * 2;
        if (twiceRest > total || (twiceRest == total && percent % 2 != 0))
            ++percent;
    }
    return label + QString::number(percent) + QStringLiteral(" %");
}
