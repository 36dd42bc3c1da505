#include "platform/FakeModem.h"

#include "common/Clock.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <unistd.h>

namespace {

const QByteArray kCrLf = "\r\n";

// Parameters of the multiple-message block.
constexpr char kBlockType = char(0x80);
constexpr char kDateTime = 0x01;
constexpr char kNumber = 0x02;
constexpr char kNumberAbsent = 0x04;
constexpr char kName = 0x07;
constexpr char kNameAbsent = 0x08;
// A field of the block holds at most this much; the whole block stays below
// the 255 bytes its length byte can count.
constexpr qsizetype kMaxBlockField = 64;

// A parameter the modem does not decode, sent as MESG: a call type.
const QByteArray kUndecodedMesg = "110A3030303030303030";

QByteArray parameter(char type, const QByteArray& data)
{
    const QByteArray cut = data.left(kMaxBlockField);
    return QByteArray(1, type) + char(cut.size()) + cut;
}

QByteArray block(const FakeCallerId& callerId, const QDateTime& when)
{
    QByteArray body = parameter(kDateTime, when.toString(QStringLiteral("MMddHHmm")).toLatin1());
    if (callerId.isPrivate) {
        body += parameter(kNumberAbsent, "P");
        body += parameter(kNameAbsent, "P");
    } else {
        body += parameter(kNumber, callerId.number.toUtf8());
        body += parameter(kName, callerId.name.toUtf8());
    }
    QByteArray message = QByteArray(1, kBlockType) + char(body.size()) + body;
    quint8 sum = 0;
    for (const char c : std::as_const(message))
        sum = quint8(sum + quint8(c));
    message += char(quint8(0x100 - sum));
    return message.toHex().toUpper();
}

} // namespace

std::optional<FakeCallerId::Format> FakeCallerId::formatNamed(const QString& name)
{
    const qsizetype index = formatNames().indexOf(name);
    if (index < 0)
        return std::nullopt;
    return Format(index);
}

QStringList FakeCallerId::formatNames()
{
    return {QStringLiteral("formatted"), QStringLiteral("spaced"), QStringLiteral("unformatted"),
        QStringLiteral("mesg-first")};
}

FakeModem::FakeModem(QObject* parent)
    : QObject(parent)
{
}

FakeModem::~FakeModem()
{
    if (!m_link.isEmpty() && m_terminal && QFileInfo(m_link).symLinkTarget() == m_terminal->devicePath())
        QFile::remove(m_link);
}

bool FakeModem::start(const QString& linkPath, QString* error)
{
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (m_terminal)
        return fail(QStringLiteral("the modem is running already"));
    auto terminal = std::make_unique<PseudoTerminal>();
    if (!terminal->isValid())
        return fail(QStringLiteral("cannot make a pseudo-terminal: ") + terminal->error());
    if (!linkPath.isEmpty()) {
        const QFileInfo existing(linkPath);
        if (existing.isSymLink()) {
            if (!QFile::remove(linkPath))
                return fail(QStringLiteral("cannot replace the link ") + linkPath);
        } else if (existing.exists()) {
            return fail(linkPath + QStringLiteral(" exists and is not a link; it is left alone"));
        }
        if (!QFile::link(terminal->devicePath(), linkPath))
            return fail(QStringLiteral("cannot make the link ") + linkPath);
        m_link = linkPath;
    }
    m_terminal = std::move(terminal);
    m_notifier = new QSocketNotifier(m_terminal->masterFd(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &FakeModem::readAvailable);
    return true;
}

QString FakeModem::devicePath() const
{
    return m_terminal ? m_terminal->devicePath() : QString();
}

QStringList FakeModem::normalized(const QStringList& commands)
{
    QStringList out;
    for (const QString& command : commands)
        out << command.trimmed().toUpper();
    return out;
}

void FakeModem::readAvailable()
{
    char buffer[512];
    while (true) {
        const ssize_t got = ::read(m_terminal->masterFd(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return;
        for (ssize_t i = 0; i < got; ++i) {
            const char c = buffer[i];
            if (c == '\r') {
                const QByteArray command = m_command;
                m_command.clear();
                handleCommand(command);
            } else if (c != '\n' && m_command.size() < MaxCommandBytes) {
                m_command += c;
            }
        }
    }
}

void FakeModem::handleCommand(const QByteArray& command)
{
    if (command.isEmpty())
        return;
    // A modem echoes what it was sent before it acts on it.
    if (m_echo)
        send(command + '\r');
    const QString text = QString::fromUtf8(command);
    m_commands << text;
    emit commandReceived(text);

    const QString key = text.trimmed().toUpper();
    QString compact = key;
    compact.remove(u' ');
    if (compact.startsWith(u"ATE0"))
        m_echo = false;
    else if (compact.startsWith(u"ATE1") || compact == u"ATZ")
        m_echo = true;
    if (m_silentCommands.contains(key))
        return;
    send(kCrLf + (m_errorCommands.contains(key) ? "ERROR" : "OK") + kCrLf);
}

bool FakeModem::ring()
{
    return send(kCrLf + "RING" + kCrLf);
}

bool FakeModem::sendCallerId(const FakeCallerId& callerId)
{
    return send(callerIdBlock(callerId, Clock::instance().now()));
}

bool FakeModem::sendRaw(const QByteArray& bytes)
{
    return send(bytes);
}

QByteArray FakeModem::callerIdBlock(const FakeCallerId& callerId, const QDateTime& when)
{
    using Format = FakeCallerId::Format;
    if (callerId.format == Format::Unformatted)
        return kCrLf + block(callerId, when) + kCrLf;
    const QByteArray equals = callerId.format == Format::Formatted ? "=" : " = ";
    const auto line = [&equals](const char* key, const QByteArray& value) -> QByteArray {
        return QByteArray(key) + equals + value + kCrLf;
    };
    QByteArray out = kCrLf;
    if (callerId.format == Format::MesgFirst)
        out += line("MESG", kUndecodedMesg);
    out += line("DATE", when.toString(QStringLiteral("MMdd")).toLatin1());
    out += line("TIME", when.toString(QStringLiteral("HHmm")).toLatin1());
    out += line("NMBR", callerId.isPrivate ? QByteArray("P") : callerId.number.toUtf8());
    out += line("NAME", callerId.isPrivate ? QByteArray("P") : callerId.name.toUtf8());
    return out;
}

bool FakeModem::send(const QByteArray& bytes)
{
    if (!m_terminal)
        return false;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote
            = ::write(m_terminal->masterFd(), bytes.constData() + done, size_t(bytes.size() - done));
        if (wrote < 0 && errno == EINTR)
            continue;
        // Nobody reads the terminal and its buffer is full: a modem's bytes
        // to a closed port are lost too.
        if (wrote <= 0)
            return false;
        done += wrote;
    }
    return true;
}
