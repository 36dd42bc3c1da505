#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <vector>

// The script tests/support/fake-systemctl first on PATH as "systemctl" for
// the object's lifetime: it logs every argument list, answers "show" from a
// state the test sets and exits with a status per verb.
class FakeSystemctl {
public:
    FakeSystemctl();
    ~FakeSystemctl();
    FakeSystemctl(const FakeSystemctl&) = delete;
    FakeSystemctl& operator=(const FakeSystemctl&) = delete;

    bool isValid() const { return m_valid; }

    // What "show -p LoadState -p ActiveState" prints.
    void setState(const QString& loadState, const QString& activeState);
    // show prints exactly this.
    void setShowOutput(const QByteArray& output);
    // After the verb succeeds the unit is in this state.
    void setStateAfter(const QString& verb, const QString& loadState, const QString& activeState);
    void setExitStatus(const QString& verb, int status);
    void setStderr(const QString& verb, const QByteArray& text);
    // The verb never ends.
    void setHangs(const QString& verb);

    // The argument lists of every run so far, in order.
    QList<QStringList> calls() const;
    void clearCalls();

private:
    void write(const QString& name, const QByteArray& data);

    QTemporaryDir m_dir;
    QTemporaryDir m_bin;
    QByteArray m_oldPath;
    QByteArray m_oldDir;
    bool m_valid = false;
};

// An argument list written as C strings, to compare with calls().
QStringList ArgumentList(const std::vector<const char*>& items);
