#pragma once

#include <QString>

// Mail handed to the outside mail program one at a time (frmMAPI): the
// service's "SendMail" requests and the forwarding window's test mail.
class MailQueue {
public:
    virtual ~MailQueue() = default;
    // Queues one mail; an empty filePath or "NOFILE" means no attachment.
    virtual void SendByQ(
        const QString& to, const QString& subject, const QString& content, const QString& filePath)
        = 0;
};

// The queue in use: the one the hub installed, else a stand-in that keeps
// nothing and says once on standard error that no mail program is running.
MailQueue& CurrentMailQueue();
// Installs queue (not owned); null gives the stand-in back.
void SetMailQueue(MailQueue* queue);
