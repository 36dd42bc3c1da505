#pragma once

#include "common/ChannelMessages.h"
#include "platform/MessageControl.h"

#include <QObject>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// Postrun as the tests play it, in this process on 112: it keeps every text
// and answers a "SENDMAIL" at once while answerAtOnce, else when told.
class TestPostrun : public QObject {
public:
    TestPostrun()
    {
        connect(&channel, &MessageControl::MessageArrived, this, [this](const QString& text) {
            received << text;
            if (answerAtOnce && text.startsWith(u"SENDMAIL"))
                answer();
        });
    }
    void bind() { channel.Channel(ChannelNumber::PostrunChannel); }
    void answer(const QString& text = QStringLiteral("DONE_SEND_MAIL"))
    {
        channel.Channel(ChannelNumber::PostrunChannel);
        channel.Send(text);
    }
    QStringList sendMails() const { return received.filter(QRegularExpression(QStringLiteral("^SENDMAIL"))); }

    MessageControl channel{nullptr, MessageControl::Delivery::SameProcessToo};
    QStringList received;
    bool answerAtOnce = false;
};
