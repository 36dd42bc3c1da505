#pragma once

#include "common/CallRecord.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class Journal;

// The calls the service stores, in the order they ended. A call whose record
// cannot be written (a full disk, no file descriptors) is kept and written
// before the next call's record and on a timer, so none is lost while the
// service runs and none is stored twice; Data/Last gets the calls' lines in
// the same order, each once its record is there. The failure is said once per outage: on standard error,
// in the system journal and to the desktop as a line status text.
class PendingCallRecords : public QObject {
    Q_OBJECT

public:
    using Tell = std::function<void(const QString&)>;

    // tellDesktop sends a status text to the desktop.
    PendingCallRecords(const Journal& journal, Tell tellDesktop, QObject* parent = nullptr);
    ~PendingCallRecords() override;

    // Stores the call after every call that waits. True when it and all
    // before it are stored and listed; false also when it can never be
    // (a day folder refused), which the system journal tells.
    bool store(const CallRecord& record, const QString& dayFolder, bool skipList, qint32 itemsInLast);

    qsizetype waiting() const { return m_waiting.size(); }

    // How often waiting calls are tried again.
    static constexpr int kRetryMs = 1000;

private:
    struct Pending {
        CallRecord record;
        QString dayFolder;
        bool skipList = false;
        qint32 itemsInLast = 0;
        // Its record number once written, so never appended twice; -1 when
        // it can never be stored.
        qint32 storedAs = 0;
    };

    void flush();
    // Appends the call's record; why it could not, empty when it was written
    // or can never be (a day folder refused: journaled, and the call dropped).
    QString storeRecord(Pending& call);
    // Puts the first waiting call's line on Data/Last; why it could not.
    QString listFirst();

    const Journal& m_journal;
    Tell m_tellDesktop;
    QList<Pending> m_waiting;
    QTimer m_retry;
    bool m_said = false;
    bool m_refused = false; // a call of this store was dropped as unstorable
};
