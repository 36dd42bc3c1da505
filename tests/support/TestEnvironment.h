#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

// A throw-away installation: a program folder, a settings store, a runtime
// folder and a configuration folder of its own, named through RINGVALE_HOME,
// RINGVALE_REGISTRY, XDG_RUNTIME_DIR and XDG_CONFIG_HOME (where user units
// go) for this process and for every program it starts. The previous
// environment comes back on destruction.
class TestEnvironment {
public:
    // Removes what the developer's shell may have set that changes how the
    // programs behave: every RINGVALE_* variable but RINGVALE_SCREENSHOT_DIR
    // (the tests' own: where screenshots go), NOTIFY_SOCKET (a program
    // would think systemd started it) and QT_LOGGING_RULES (diagnostics on
    // standard error, which tests read). The test mains call it first, before
    // Qt reads any of them; a test sets what it needs afterwards.
    static void clearInheritedVariables();

    TestEnvironment();
    ~TestEnvironment();
    TestEnvironment(const TestEnvironment&) = delete;
    TestEnvironment& operator=(const TestEnvironment&) = delete;

    QString programFolder() const { return m_home.path(); }
    QString registryFolder() const { return m_registry.path(); }
    QString runtimeBase() const { return m_runtime.path(); }
    QString configFolder() const { return m_config.path(); }
    // Creates the product's settings keys as the installation's defaults file
    // does (data/Defaults.reg), so writes into them succeed; remote access
    // stays off.
    void installDefaults() const;
    // data/Defaults.reg exactly as an installation applies it, and the
    // Journal folder an installation makes.
    void installShippedDefaults() const;

    // The environment to start a real program with.
    QProcessEnvironment processEnvironment() const;

    // Every web server of a test listens on a port the system picks and
    // writes it here (RINGVALE_WEB_PORT_FILE), so tests running side by side
    // never race for one port.
    QString webPortFile() const;
    // The port written there once it is another than previous (0 after a
    // stop); 0 when none came within timeoutMs.
    quint16 waitForWebPort(quint16 previous = 0, int timeoutMs = 10000) const;

    // Path of a built program (RingvaleSvc, ringvale-reg, ...).
    static QString binary(const QString& name);

private:
    QTemporaryDir m_home;
    QTemporaryDir m_registry;
    QTemporaryDir m_runtime;
    QTemporaryDir m_config;
    QByteArray m_oldHome;
    QByteArray m_oldRegistry;
    QByteArray m_oldRuntime;
    QByteArray m_oldConfig;
    QByteArray m_oldWebPortFile;
};
