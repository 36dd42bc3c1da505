#pragma once

#include "platform/ProgramLauncher.h"
#include "platform/SmtpMailControl.h"

#include <QList>
#include <QString>
#include <QStringList>

// Test back-ends of the mail control and the program launcher: they keep
// what they were asked to do and do nothing else; a test plays the mail's
// events itself.

class TestSmtpMail final : public SmtpMailControl {
    Q_OBJECT
public:
    struct Sent {
        MailId id;
        QStringList arguments; // the eleven, in order
    };

    using SmtpMailControl::SmtpMailControl;

    MailId SendEmail(const QString& server, const QString& fromAddress, const QString& fromName,
        const QString& to, const QString& subject, const QString& body, const QString& attachment,
        const QString& userName, const QString& password, const QString& unused1,
        const QString& unused2) override
    {
        m_sent.append({++m_lastId,
            {server, fromAddress, fromName, to, subject, body, attachment, userName, password, unused1,
                unused2}});
        return m_lastId;
    }

    const QList<Sent>& sent() const { return m_sent; }

private:
    QList<Sent> m_sent;
    MailId m_lastId = 0;
};

class TestLauncher final : public ProgramLauncher {
public:
    struct Started {
        QString program;
        QStringList arguments;
        WindowStyle style;
    };

    LaunchResult Start(const QString& program, const QStringList& arguments, WindowStyle style) override
    {
        m_started.append({program, arguments, style});
        return m_result;
    }

    // What every later Start answers.
    void setResult(const LaunchResult& result) { m_result = result; }
    const QList<Started>& started() const { return m_started; }

private:
    QList<Started> m_started;
    LaunchResult m_result;
};
