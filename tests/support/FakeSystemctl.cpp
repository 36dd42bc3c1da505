#include "tests/support/FakeSystemctl.h"

#include <QFile>

namespace {

QByteArray stateText(const QString& loadState, const QString& activeState)
{
    return "LoadState=" + loadState.toUtf8() + "\nActiveState=" + activeState.toUtf8() + '\n';
}

} // namespace

FakeSystemctl::FakeSystemctl()
    : m_oldPath(qgetenv("PATH"))
    , m_oldDir(qgetenv("FAKE_SYSTEMCTL_DIR"))
{
    m_valid = m_dir.isValid() && m_bin.isValid()
        && QFile::link(QStringLiteral(RINGVALE_SOURCE_DIR "/tests/support/fake-systemctl"),
            m_bin.filePath(QStringLiteral("systemctl")));
    qputenv("PATH", QFile::encodeName(m_bin.path()) + ':' + m_oldPath);
    qputenv("FAKE_SYSTEMCTL_DIR", QFile::encodeName(m_dir.path()));
}

FakeSystemctl::~FakeSystemctl()
{
    qputenv("PATH", m_oldPath);
    if (m_oldDir.isNull())
        qunsetenv("FAKE_SYSTEMCTL_DIR");
    else
        qputenv("FAKE_SYSTEMCTL_DIR", m_oldDir);
}

void FakeSystemctl::write(const QString& name, const QByteArray& data)
{
    QFile file(m_dir.filePath(name));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(data);
}

void FakeSystemctl::setState(const QString& loadState, const QString& activeState)
{
    write(QStringLiteral("state"), stateText(loadState, activeState));
}

void FakeSystemctl::setShowOutput(const QByteArray& output)
{
    write(QStringLiteral("state"), output);
}

void FakeSystemctl::setStateAfter(const QString& verb, const QString& loadState, const QString& activeState)
{
    write(QStringLiteral("after-") + verb, stateText(loadState, activeState));
}

void FakeSystemctl::setExitStatus(const QString& verb, int status)
{
    write(QStringLiteral("exit-") + verb, QByteArray::number(status));
}

void FakeSystemctl::setStderr(const QString& verb, const QByteArray& text)
{
    write(QStringLiteral("stderr-") + verb, text);
}

void FakeSystemctl::setHangs(const QString& verb)
{
    write(QStringLiteral("hang-") + verb, {});
}

QList<QStringList> FakeSystemctl::calls() const
{
    QList<QStringList> list;
    QFile file(m_dir.filePath(QStringLiteral("log")));
    if (!file.open(QIODevice::ReadOnly))
        return list;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.isEmpty())
            list << QString::fromUtf8(line).split(u'\t');
    }
    return list;
}

void FakeSystemctl::clearCalls()
{
    QFile::remove(m_dir.filePath(QStringLiteral("log")));
}

QStringList ArgumentList(const std::vector<const char*>& items)
{
    QStringList list;
    for (const char* item : items)
        list << QString::fromUtf8(item);
    return list;
}
