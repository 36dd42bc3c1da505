#pragma once

#include "platform/PseudoTerminal.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QStringList>

#include <memory>
#include <optional>

class QSocketNotifier;

// A caller ID as a fake modem sends it.
struct FakeCallerId {
    enum class Format {
        Formatted, // NMBR=5551234
        Spaced, // NMBR = 5551234
        Unformatted, // the multiple-message block in hex, as for raw caller ID
        MesgFirst, // a message the modem cannot decode, then the fields
    };
    QString number;
    QString name;
    Format format = Format::Formatted;
    // Withheld: "P" for name and number.
    bool isPrivate = false;

    static std::optional<Format> formatNamed(const QString& name);
    static QStringList formatNames();
};

// A modem on a pseudo-terminal, for a person without one and for the tests:
// a program opens the link (or the device) as its serial port. It echoes
// every command (until ATE0; ATE1 and ATZ turn the echo back on) and answers
// it with OK, or ERROR or nothing for the commands it was told; commands are
// matched ignoring case and surrounding blanks. RING, caller-ID blocks and
// raw bytes go out when asked.
class FakeModem : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype MaxCommandBytes = 256;

    explicit FakeModem(QObject* parent = nullptr);
    // Removes the link it made, if it still leads to its device.
    ~FakeModem() override;

    // Makes the pseudo-terminal and, when linkPath is not empty, a symbolic
    // link there to it (replacing a link, never another file). False with
    // the reason when it cannot.
    bool start(const QString& linkPath, QString* error);
    QString devicePath() const;
    QString linkPath() const { return m_link; }

    void setErrorCommands(const QStringList& commands) { m_errorCommands = normalized(commands); }
    void setSilentCommands(const QStringList& commands) { m_silentCommands = normalized(commands); }
    bool echoOn() const { return m_echo; }

    // Each false when the bytes could not be handed to the terminal.
    bool ring();
    bool sendCallerId(const FakeCallerId& callerId);
    bool sendRaw(const QByteArray& bytes);

    // Every command received, in order.
    QStringList commands() const { return m_commands; }

    // The lines a modem sends for the caller ID, dated when.
    static QByteArray callerIdBlock(const FakeCallerId& callerId, const QDateTime& when);

signals:
    void commandReceived(const QString& command);

private:
    static QStringList normalized(const QStringList& commands);
    void readAvailable();
    void handleCommand(const QByteArray& command);
    bool send(const QByteArray& bytes);

    std::unique_ptr<PseudoTerminal> m_terminal;
    QSocketNotifier* m_notifier = nullptr;
    QString m_link;
    QByteArray m_command;
    bool m_echo = true;
    QStringList m_errorCommands;
    QStringList m_silentCommands;
    QStringList m_commands;
};
