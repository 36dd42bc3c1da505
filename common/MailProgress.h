#pragma once

#include <QString>

// The progress text of a mail on its way, as the service sends it with
// "MAIL" and the forwarding window shows it for its test mail: label (text 7
// of the translation), the share done in whole percent (a half to the even
// neighbour), " %". A total of 0 shows "0 %".
QString MailProgressText(const QString& label, qint64 total, qint64 done);
