#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

// The registry's key/value model, as RegistryRoutines needs it. The settings
// store in platform/ fills it; tests and tools install the same store.
// Key paths are backslash-separated, compared without regard to case.
class RegistryBackend {
public:
    struct Value {
        quint32 type = 0;
        QByteArray data;
    };

    // Result codes as the registry gives them.
    static constexpr int Success = 0;
    static constexpr int NotFound = 2;
    static constexpr int AccessDenied = 5;

    virtual ~RegistryBackend() = default;

    virtual bool keyExists(qint32 root, const QString& path) = 0;
    // Creates the key and any missing parents; true when it exists afterwards.
    virtual bool createKey(qint32 root, const QString& path) = 0;
    // Refuses a key that still has subkeys; true when something was deleted.
    virtual bool deleteKey(qint32 root, const QString& path) = 0;
    virtual int deleteValue(qint32 root, const QString& path, const QString& name) = 0;
    // NotFound when the key or the value is missing.
    virtual int queryValue(qint32 root, const QString& path, const QString& name, Value& out) = 0;
    // The key must exist; nothing is created (NotFound otherwise).
    virtual int setValue(qint32 root, const QString& path, const QString& name, const Value& value) = 0;
    // The existing key holds exactly these values afterwards, in this order
    // (a repeated name keeps its first place and its last value), written at
    // once, so a reader sees the old list or the new one; NotFound when the
    // key is missing.
    virtual int replaceValues(
        qint32 root, const QString& path, const QList<std::pair<QString, Value>>& values)
        = 0;
    // nullopt when the key is missing. Subkeys in name order, values in the
    // order they were first written.
    virtual std::optional<QStringList> subkeys(qint32 root, const QString& path) = 0;
    virtual std::optional<QStringList> valueNames(qint32 root, const QString& path) = 0;

    // The store every RegistryRoutines object uses; null until a program (or a
    // test's main) installs one, and then every operation fails quietly.
    static RegistryBackend* current();
    static void install(RegistryBackend* backend);
};
