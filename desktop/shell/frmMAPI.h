#pragma once

#include "desktop/foundation/MailQueue.h"
#include "platform/MessageControl.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class ProgramLauncher;

// The hidden mail form: mails wait here, first in first out, and go to the
// outside mail program Postrun on channel 112 one at a time; the next goes
// when Postrun answers "DONE_SEND_MAIL". A hand-over has 120 s of the clock:
// while nobody is on 112 it is tried again every 5 s, then the answer is
// waited for. A mail whose second hand-over runs out too is dropped (said on
// standard error) and the next one goes, so a missing or silent Postrun never
// holds the mails behind it for good.
class frmMAPI : public QObject, public MailQueue {
    Q_OBJECT
public:
    static constexpr qint32 kPauseTenths = 10;
    static constexpr qint64 kHandOverMs = 120000;
    static constexpr qint64 kRetryMs = 5000;
    static constexpr qint32 kHandOvers = 2;

    // delivery: how udiPostrun finds its peers (tests put Postrun in this
    // process).
    explicit frmMAPI(MessageControl::Delivery delivery = MessageControl::Delivery::OtherProcesses,
        QObject* parent = nullptr);
    ~frmMAPI() override;
    frmMAPI(const frmMAPI&) = delete;
    frmMAPI& operator=(const frmMAPI&) = delete;

    // Starts Postrun and binds 112.
    void Form_Load();
    // Tells Postrun "UNLOAD" when it is there; the mails still waiting are
    // dropped (and said to be). Later mails are not queued.
    void Form_Unload();

    // MailQueue: an empty filePath or "NOFILE" goes out as "NOFILE".
    void SendByQ(
        const QString& sTo, const QString& Subject, const QString& Content, const QString& FilePath) override;

    void udiPostrun_MessageArrived(const QString& text);

    struct QueuedMail {
        QString to;
        QString subject;
        QString content;
        QString attachment;
    };
    // Oldest first; the head is the mail being handed over.
    QList<QueuedMail> MailsFiles;
    // Mails queued and not yet done; 0 is idle.
    qint32 lMailsCount = 0;
    // The head mail's fields, set when it is handed over.
    QString sToAddress;
    QString sSubject;
    QString sContent;

    MessageControl udiPostrun;
    // The mail program; empty: Postrun beside this program.
    QString sPostrunProgram;
    // Starts Postrun; the program's detached launcher unless a test set another.
    std::unique_ptr<ProgramLauncher> launcher;

private:
    void StartPostrun();
    void SendNextQueuedMail();
    // Sends the head mail when someone is on 112, else plans the next try.
    void TryHandOver();
    // Runs on the tick and whenever the clock moves: retries and time-outs.
    void CheckHandOver();
    void OnQueuedMailDone();

    QTimer m_tick;
    qint64 m_deadline = 0;
    qint64 m_nextTry = 0;
    qint32 m_handOver = 0; // of the head mail, 1 or 2
    bool m_sent = false; // this hand-over's SENDMAIL went out
    bool m_headSent = false; // some hand-over of the head mail went out
    bool m_pausing = false;
    quint64 m_generation = 0;
    bool m_unloaded = false;
    bool m_saidLaunch = false;
};
