#pragma once

#include "common/FileIdentity.h"
#include "common/RegistryBackend.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QMutex>

// The settings store: the registry's model kept in one INI-like text file per
// root key (HKEY_LOCAL_MACHINE.ini, ...) in AppPaths::registryFolder().
// Every write is a locked read-modify-write with an atomic replace. Reads keep
// the parsed file while its identity (device, inode, size, modification time)
// stays and it has settled, so each read costs a stat, and a read still sees
// the other program's write at once. The files hold passwords: folder 0700,
// files 0600.
//
// File layout: "[Key\Path]" per key, then "Name=kind:data" per value, where
// kind is "sz" or "expand" (text, stored with its closing NUL), "dword"
// (decimal) or "hex(N)" (raw bytes of type N). Names and data escape %, control
// characters and the separators of the line as %XX; other UTF-8 is as is.
class IniRegistry final : public RegistryBackend {
public:
    // folder: where the root-key files live (empty: AppPaths::registryFolder()
    // at each call, so a changed environment is seen).
    explicit IniRegistry(const QString& folder = QString());

    bool keyExists(qint32 root, const QString& path) override;
    bool createKey(qint32 root, const QString& path) override;
    bool deleteKey(qint32 root, const QString& path) override;
    int deleteValue(qint32 root, const QString& path, const QString& name) override;
    int queryValue(qint32 root, const QString& path, const QString& name, Value& out) override;
    int setValue(qint32 root, const QString& path, const QString& name, const Value& value) override;
    int replaceValues(
        qint32 root, const QString& path, const QList<std::pair<QString, Value>>& values) override;
    std::optional<QStringList> subkeys(qint32 root, const QString& path) override;
    std::optional<QStringList> valueNames(qint32 root, const QString& path) override;

    QString fileFor(qint32 root) const;

    // Installs one process-wide store as RegistryBackend::current().
    static void installDefault();

    struct NamedValue {
        QString name;
        Value value;
    };
    struct Key {
        QString path; // as first created, case kept
        QList<NamedValue> values;
    };
    // Keys by lower-cased normalised path; "" is the root key itself.
    using Tree = QMap<QString, Key>;

    static QByteArray serialize(const Tree& tree, qint32 root);
    static Tree parse(const QByteArray& text);
    static QString normalize(const QString& path);

private:
    Tree load(qint32 root) const;
    template<typename Change>
    int modify(qint32 root, Change change);

    QString m_folder;

    struct Parsed {
        FileIdentity identity;
        Tree tree;
    };
    // By file; reads come from the event loop and from workers.
    mutable QMutex m_mutex;
    mutable QHash<QString, Parsed> m_parsed;
};
