#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>
#include <utility>

// The one object through which both programs read and write their settings.
// It keeps only its three properties; every operation goes to the store afresh,
// so objects in either program see each other's latest writes.
class RegistryRoutines {
public:
    // Predefined root keys (their registry numbers, as 32-bit signed values).
    static constexpr qint32 HKEY_CLASSES_ROOT = qint32(0x80000000);
    static constexpr qint32 HKEY_CURRENT_USER = qint32(0x80000001);
    static constexpr qint32 HKEY_LOCAL_MACHINE = qint32(0x80000002);

    // Value types.
    static constexpr qint32 REG_SZ = 1;
    static constexpr qint32 REG_EXPAND_SZ = 2;
    static constexpr qint32 REG_BINARY = 3;
    static constexpr qint32 REG_DWORD = 4;
    static constexpr qint32 REG_MULTI_SZ = 7;

    // The product's own key, below HKEY_LOCAL_MACHINE.
    static QString productKey(); // "SOFTWARE\Brask\Ringvale 1.1"

    RegistryRoutines() = default;
    RegistryRoutines(qint32 root, const QString& keyRoot, const QString& subkey);
    // An object on the product key with the given section.
    static RegistryRoutines forProduct(const QString& subkey);

    qint32 hkey() const { return m_hkey; }
    void setHkey(qint32 root) { m_hkey = root; }
    QString KeyRoot() const { return m_keyRoot; }
    void setKeyRoot(const QString& keyRoot) { m_keyRoot = keyRoot; }
    QString Subkey() const { return m_subkey; }
    void setSubkey(const QString& subkey) { m_subkey = subkey; }

    bool KeyExists() const;
    // "0" when the key was created or opened, empty when not.
    QString CreateKey(const std::optional<QString>& name = std::nullopt) const;
    // Always 0.
    [[nodiscard]] qint32 DeleteKey(const QString& name) const;
    // The store's result code: 0 deleted, 2 no such value or key.
    [[nodiscard]] qint32 DeleteValue(const QString& name) const;
    static QStringList EnumRegistryKeys(qint32 root, const QString& keyPath);
    static QStringList EnumRegistryValues(qint32 root, const QString& keyPath);

    // Invalid QVariant for "empty" (missing, unless a default is given); else a
    // QString (types 1, 2, 7), QByteArray (3) or qint32 (4).
    QVariant GetRegistryValue(const QString& name, const QVariant& fallback = QVariant()) const;
    // True only when the value was written with a type the store knows; a
    // missing key is created first.
    [[nodiscard]] bool SetRegistryValue(const QString& name, const QVariant& value, qint32 type) const;

    // Another computer's registry is not reachable here: only an empty name or
    // this machine's own name work, and then as the local operations.
    QVariant ReadRemoteRegistryValue(const QString& computer, qint32 root, const QString& name,
        const std::optional<QString>& keyPath = std::nullopt) const;
    [[nodiscard]] bool WriteRemoteRegistryValue(const QString& computer, qint32 root, const QString& name,
        const QVariant& value, qint32 type, const std::optional<QString>& keyPath = std::nullopt) const;

    // The key (created when missing) holds exactly these string values
    // (name, text) afterwards, in this order, written at once; false when
    // nothing was written.
    bool ReplaceStringValues(const QList<std::pair<QString, QString>>& values) const;

    static QString TrimNull(QString& text);

    // The usual string read: the value as text, empty when missing.
    QString getString(const QString& name) const { return GetRegistryValue(name).toString(); }
    // Missing (not just empty)?
    bool hasValue(const QString& name) const { return GetRegistryValue(name).isValid(); }
    [[nodiscard]] bool setString(const QString& name, const QString& value) const
    {
        return SetRegistryValue(name, value, REG_SZ);
    }

private:
    QString objectKey() const { return m_keyRoot + u'\\' + m_subkey; }
    static QVariant decode(qint32 type, const QByteArray& data, const QVariant& fallback);

    qint32 m_hkey = 0;
    QString m_keyRoot;
    QString m_subkey;
};
