#pragma once

#include <QString>

// A pseudo-terminal whose far side (the device path) a program opens as it
// would a serial port, and whose near side this object reads and writes: the
// stand-in for a modem's cable. The terminal is raw (no echo, no line
// editing), and a descriptor of the far side stays open here, so the near
// side neither hangs up nor reports errors while no program has the device
// open.
class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool isValid() const { return m_master >= 0; }
    // Why it could not be made, when it could not.
    QString error() const { return m_error; }
    // The device path (/dev/pts/N).
    QString devicePath() const { return m_devicePath; }
    // The near side, non-blocking.
    int masterFd() const { return m_master; }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_devicePath;
    QString m_error;
};
