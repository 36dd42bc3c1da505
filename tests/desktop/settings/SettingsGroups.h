#pragma once

#include <QString>

// The settings keys the windows under test read and write.
inline const QString kIncoming = QStringLiteral("Events\\TabInCommingCall");
inline const QString kAdvanced = QStringLiteral("Events\\Advanced");
inline const QString kLineStat = QStringLiteral("Properties\\TabLineStat");
inline const QString kSmtp = QStringLiteral("MailForward\\SMTP");
