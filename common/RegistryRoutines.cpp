#include "common/RegistryRoutines.h"

#include "common/RegistryBackend.h"

#include <QRegularExpression>
#include <QSysInfo>
#include <QtEndian>

QString RegistryRoutines::productKey()
{
    return QStringLiteral("SOFTWARE\\Brask\\Ringvale 1.1");
}

RegistryRoutines::RegistryRoutines(qint32 root, const QString& keyRoot, const QString& subkey)
    : m_hkey(root)
    , m_keyRoot(keyRoot)
    , m_subkey(subkey)
{
}

RegistryRoutines RegistryRoutines::forProduct(const QString& subkey)
{
    return RegistryRoutines(HKEY_LOCAL_MACHINE, productKey(), subkey);
}

bool RegistryRoutines::KeyExists() const
{
    RegistryBackend* store = RegistryBackend::current();
    return store && store->keyExists(m_hkey, objectKey());
}

QString RegistryRoutines::CreateKey(const std::optional<QString>& name) const
{
    RegistryBackend* store = RegistryBackend::current();
    const QString key = m_keyRoot + u'\\' + name.value_or(m_subkey);
    if (store && store->createKey(m_hkey, key))
        return QStringLiteral("0");
    return {};
}

qint32 RegistryRoutines::DeleteKey(const QString& name) const
{
    if (RegistryBackend* store = RegistryBackend::current())
        store->deleteKey(m_hkey, m_keyRoot + u'\\' + name);
    return 0;
}

qint32 RegistryRoutines::DeleteValue(const QString& name) const
{
    RegistryBackend* store = RegistryBackend::current();
    if (!store)
        return RegistryBackend::NotFound;
    return store->deleteValue(m_hkey, objectKey(), name);
}

QStringList RegistryRoutines::EnumRegistryKeys(qint32 root, const QString& keyPath)
{
    RegistryBackend* store = RegistryBackend::current();
    if (!store)
        return {};
    return store->subkeys(root, keyPath).value_or(QStringList());
}

QStringList RegistryRoutines::EnumRegistryValues(qint32 root, const QString& keyPath)
{
    RegistryBackend* store = RegistryBackend::current();
    if (!store)
        return {};
    return store->valueNames(root, keyPath).value_or(QStringList());
}

QVariant RegistryRoutines::GetRegistryValue(const QString& name, const QVariant& fallback) const
{
    RegistryBackend* store = RegistryBackend::current();
    RegistryBackend::Value value;
    if (!store || store->queryValue(m_hkey, objectKey(), name, value) != RegistryBackend::Success)
        return fallback;
    return decode(qint32(value.type), value.data, fallback);
}

namespace {

QString expandEnvironment(const QString& text)
{
    static const QRegularExpression reference(QStringLiteral("%([^%]+)%"));
    QString result;
    qsizetype last = 0;
    auto it = reference.globalMatch(text);
    while (it.hasNext()) {
        const auto match = it.next();
        result += QStringView(text).mid(last, match.capturedStart() - last);
        const QByteArray variable = match.captured(1).toLocal8Bit();
        if (qEnvironmentVariableIsSet(variable.constData()))
            result += qEnvironmentVariable(variable.constData());
        else
            result += match.captured(0); // unknown references stay as written
        last = match.capturedEnd();
    }
    result += QStringView(text).mid(last);
    return result;
}

} // namespace

QVariant RegistryRoutines::decode(qint32 type, const QByteArray& data, const QVariant& fallback)
{
    const qsizetype n = data.size();
    switch (type) {
    case REG_SZ:
        if (n == 0)
            return fallback;
        return QString::fromUtf8(data.left(n - 1));
    case REG_EXPAND_SZ:
        if (n == 0)
            return fallback;
        return expandEnvironment(QString::fromUtf8(data.left(n - 1)));
    case REG_BINARY:
        return data;
    case REG_DWORD:
        if (n < 4)
            return fallback;
        return qint32(qFromLittleEndian<quint32>(data.constData()));
    case REG_MULTI_SZ: {
        if (n < 2)
            return fallback;
        const QString text = QString::fromUtf8(data.left(n - 2));
        if (text.section(QChar(0), 0, 0).isEmpty())
            return fallback;
        return text;
    }
    default:
        return fallback;
    }
}

bool RegistryRoutines::SetRegistryValue(const QString& name, const QVariant& value, qint32 type) const
{
    RegistryBackend* store = RegistryBackend::current();
    if (!store)
        return false;
    RegistryBackend::Value stored;
    stored.type = quint32(type);
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_MULTI_SZ:
        stored.data = value.toString().toUtf8();
        stored.data.append('\0');
        break;
    case REG_BINARY:
        stored.data = value.toByteArray();
        break;
    case REG_DWORD: {
        bool ok = false;
        const qint32 number = value.toInt(&ok);
        if (!ok)
            return false;
        stored.data.resize(4);
        qToLittleEndian<quint32>(quint32(number), stored.data.data());
        break;
    }
    default:
        // Nothing can be written for an unknown type: that is a failure.
        return false;
    }
    // A key the installation did not make is made now: the value is stored,
    // never lost.
    int result = store->setValue(m_hkey, objectKey(), name, stored);
    if (result == RegistryBackend::NotFound && store->createKey(m_hkey, objectKey()))
        result = store->setValue(m_hkey, objectKey(), name, stored);
    return result == RegistryBackend::Success;
}

namespace {

bool isThisComputer(const QString& computer)
{
    QString name = computer;
    while (name.startsWith(u'\\'))
        name.remove(0, 1);
    return name.isEmpty() || name.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) == 0
        || name.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0;
}

} // namespace

QVariant RegistryRoutines::ReadRemoteRegistryValue(
    const QString& computer, qint32 root, const QString& name, const std::optional<QString>& keyPath) const
{
    if (!isThisComputer(computer))
        return QStringLiteral("Error!");
    // An empty section makes the object's key the path itself.
    const RegistryRoutines local(root, keyPath.value_or(objectKey()), QString());
    return local.GetRegistryValue(name);
}

bool RegistryRoutines::WriteRemoteRegistryValue(const QString& computer, qint32 root, const QString& name,
    const QVariant& value, qint32 type, const std::optional<QString>& keyPath) const
{
    if (!isThisComputer(computer))
        return false;
    // An empty section makes the object's key the path itself.
    RegistryRoutines local(root, keyPath.value_or(objectKey()), QString());
    return local.SetRegistryValue(name, value, type);
}

bool RegistryRoutines::ReplaceStringValues(const QList<std::pair<QString, QString>>& values) const
{
    RegistryBackend* store = RegistryBackend::current();
    if (!store)
        return false;
    QList<std::pair<QString, RegistryBackend::Value>> stored;
    stored.reserve(values.size());
    for (const auto& [name, text] : values) {
        RegistryBackend::Value value;
        value.type = REG_SZ;
        value.data = text.toUtf8();
        value.data.append('\0');
        stored.append({name, value});
    }
    int result = store->replaceValues(m_hkey, objectKey(), stored);
    if (result == RegistryBackend::NotFound && store->createKey(m_hkey, objectKey()))
        result = store->replaceValues(m_hkey, objectKey(), stored);
    return result == RegistryBackend::Success;
}

QString RegistryRoutines::TrimNull(QString& text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        text.truncate(nul);
    return text;
}
