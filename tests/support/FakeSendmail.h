#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>

// A sendmail for Postrun to find first on PATH: each run keeps its
// arguments and its input in its own folder and ends with the status the
// test chose.
class FakeSendmail {
public:
    struct Run {
        QStringList arguments;
        QByteArray input;
    };

    FakeSendmail();
    // The folder to put first on PATH.
    QString folder() const { return m_dir.path(); }
    // PATH with the fake first, then the system's own folders (no other
    // sendmail there on a machine without one).
    QString path() const;
    void setExitStatus(int status);
    // The runs so far, in order; a run still writing is not counted.
    QList<Run> runs() const;

private:
    QTemporaryDir m_dir;
};
