#include "platform/IniRegistry.h"

#include "common/AppPaths.h"
#include "common/SharedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QtEndian>

#include <cctype>
#include <cstring>

#include <sys/stat.h>

namespace {

// A settings file far larger than any installation writes is refused rather
// than read whole.
constexpr qint64 MaxStoreBytes = 64 * 1024 * 1024;

bool mustEscape(char c, const char* separators)
{
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7f || c == '%' || std::strchr(separators, c) != nullptr;
}

QByteArray escape(const QByteArray& raw, const char* separators)
{
    QByteArray out;
    out.reserve(raw.size());
    for (char c : raw) {
        if (mustEscape(c, separators)) {
            out += '%';
            out += QByteArray::number(static_cast<unsigned char>(c), 16).rightJustified(2, '0').toUpper();
        } else {
            out += c;
        }
    }
    return out;
}

QByteArray unescape(QByteArray text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            bool ok = false;
            const QByteArray hex = text.mid(i + 1, 2);
            // Exactly two hex digits: toInt would also take a sign.
            const bool digits = std::isxdigit(static_cast<unsigned char>(hex[0]))
                && std::isxdigit(static_cast<unsigned char>(hex[1]));
            const int byte = digits ? hex.toInt(&ok, 16) : 0;
            if (ok) {
                out += char(byte);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

QString rootName(qint32 root)
{
    switch (quint32(root)) {
    case 0x80000000u:
        return QStringLiteral("HKEY_CLASSES_ROOT");
    case 0x80000001u:
        return QStringLiteral("HKEY_CURRENT_USER");
    case 0x80000002u:
        return QStringLiteral("HKEY_LOCAL_MACHINE");
    case 0x80000003u:
        return QStringLiteral("HKEY_USERS");
    default:
        return QStringLiteral("root-") + QString::number(quint32(root), 16);
    }
}

QString parentOf(const QString& lowerPath)
{
    const qsizetype cut = lowerPath.lastIndexOf(u'\\');
    return cut < 0 ? QString() : lowerPath.left(cut);
}

// Every key implies its parents, as in the registry.
void addWithParents(IniRegistry::Tree& tree, const QString& path)
{
    QString lower = path.toLower();
    QString cased = path;
    while (!tree.contains(lower)) {
        tree.insert(lower, IniRegistry::Key{cased, {}});
        if (lower.isEmpty())
            break;
        lower = parentOf(lower);
        cased = parentOf(cased);
    }
}

qsizetype indexOfValue(const IniRegistry::Key& key, const QString& name)
{
    for (qsizetype i = 0; i < key.values.size(); ++i) {
        if (key.values[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QByteArray encodeValue(const RegistryBackend::Value& value)
{
    const QByteArray& data = value.data;
    const bool textual = (value.type == 1 || value.type == 2) && data.endsWith('\0')
        && data.indexOf('\0') == data.size() - 1;
    if (textual)
        return (value.type == 1 ? "sz:" : "expand:") + escape(data.chopped(1), "");
    if (value.type == 4 && data.size() == 4) {
        quint32 number = 0;
        std::memcpy(&number, data.constData(), 4);
        return "dword:" + QByteArray::number(qFromLittleEndian(number));
    }
    return "hex(" + QByteArray::number(value.type) + "):" + data.toHex();
}

bool decodeValue(QByteArray text, RegistryBackend::Value& out)
{
    if (text.startsWith("sz:") || text.startsWith("expand:")) {
        out.type = text.startsWith("sz:") ? 1 : 2;
        out.data = unescape(text.mid(text.indexOf(':') + 1));
        out.data.append('\0');
        return true;
    }
    if (text.startsWith("dword:")) {
        bool ok = false;
        const quint32 number = text.mid(6).toUInt(&ok);
        if (!ok)
            return false;
        out.type = 4;
        out.data.resize(4);
        qToLittleEndian(number, out.data.data());
        return true;
    }
    if (text.startsWith("hex(")) {
        const qsizetype close = text.indexOf("):");
        bool ok = false;
        const quint32 type = text.mid(4, close - 4).toUInt(&ok);
        if (close < 0 || !ok)
            return false;
        out.type = type;
        out.data = QByteArray::fromHex(text.mid(close + 2));
        return true;
    }
    return false;
}

} // namespace

IniRegistry::IniRegistry(const QString& folder)
    : m_folder(folder)
{
}

QString IniRegistry::normalize(const QString& path)
{
    QStringList parts;
    for (const QString& part : path.split(u'\\')) {
        if (!part.isEmpty())
            parts << part;
    }
    return parts.join(u'\\');
}

QString IniRegistry::fileFor(qint32 root) const
{
    const QString folder = m_folder.isEmpty() ? AppPaths::registryFolder() : m_folder;
    return folder + u'/' + rootName(root) + QStringLiteral(".ini");
}

QByteArray IniRegistry::serialize(const Tree& tree, qint32 root)
{
    QByteArray out = "; Ringvale settings: " + rootName(root).toUtf8() + "\n";
    for (const Key& key : tree) {
        if (key.path.isEmpty() && key.values.isEmpty())
            continue;
        out += '[' + escape(key.path.toUtf8(), "[]") + "]\n";
        for (const NamedValue& value : key.values)
            out += escape(value.name.toUtf8(), "=[];") + '=' + encodeValue(value.value) + '\n';
    }
    return out;
}

IniRegistry::Tree IniRegistry::parse(const QByteArray& text)
{
    Tree tree;
    tree.insert(QString(), Key{});
    QString current;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(';'))
            continue;
        if (line.startsWith('[') && line.endsWith(']')) {
            current = normalize(QString::fromUtf8(unescape(line.mid(1, line.size() - 2))));
            addWithParents(tree, current);
            current = current.toLower();
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        Value value;
        if (eq < 0 || !decodeValue(line.mid(eq + 1), value))
            continue; // a damaged line loses itself, not the rest of the file
        Key& key = tree[current];
        const QString name = QString::fromUtf8(unescape(line.left(eq)));
        const qsizetype existing = indexOfValue(key, name);
        if (existing >= 0)
            key.values[existing].value = value;
        else
            key.values.append(NamedValue{name, value});
    }
    return tree;
}

IniRegistry::Tree IniRegistry::load(qint32 root) const
{
    const QString file = fileFor(root);
    // The identity is taken before the read: a write in between makes the
    // kept tree newer than its identity says, never older.
    const FileIdentity identity = FileIdentity::of(file);
    QMutexLocker lock(&m_mutex);
    const auto kept = m_parsed.constFind(file);
    if (kept != m_parsed.constEnd() && kept->identity == identity)
        return kept->tree;
    const auto text = identity.exists ? SharedFile::readBounded(file, MaxStoreBytes) : std::nullopt;
    Tree tree = parse(text.value_or(QByteArray()));
    // A file that could not be read is tried again at the next read.
    if ((text || !identity.exists) && identity.isSettled()) {
        // Tests and tools that change folders leave files behind.
        if (m_parsed.size() >= 16)
            m_parsed.clear();
        m_parsed.insert(file, Parsed{identity, tree});
    } else {
        m_parsed.remove(file);
    }
    return tree;
}

template<typename Change>
int IniRegistry::modify(qint32 root, Change change)
{
    const QString file = fileFor(root);
    const QString folder = QFileInfo(file).absolutePath();
    SharedFile::setWriteFailure({});
    if (!SharedFile::makeFolder(folder))
        return AccessDenied;
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    SharedFileLock lock(file);
    if (!lock.isLocked())
        return AccessDenied;
    const auto text = SharedFile::readBounded(file, MaxStoreBytes);
    if (!text && QFileInfo::exists(file))
        return AccessDenied; // never replace a file that could not be read
    Tree tree = parse(text.value_or(QByteArray()));
    const int result = change(tree);
    if (result != Success)
        return result;
    const bool written = SharedFile::writeAtomically(
        file, serialize(tree, root), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    {
        const QMutexLocker forget(&m_mutex);
        m_parsed.remove(file);
    }
    return written ? Success : AccessDenied;
}

bool IniRegistry::keyExists(qint32 root, const QString& path)
{
    return load(root).contains(normalize(path).toLower());
}

bool IniRegistry::createKey(qint32 root, const QString& path)
{
    const QString key = normalize(path);
    if (load(root).contains(key.toLower()))
        return true;
    return modify(root, [&](Tree& tree) {
        addWithParents(tree, key);
        return Success;
    }) == Success;
}

bool IniRegistry::deleteKey(qint32 root, const QString& path)
{
    const QString key = normalize(path).toLower();
    if (key.isEmpty())
        return false;
    return modify(root, [&](Tree& tree) {
        if (!tree.contains(key))
            return NotFound;
        const auto child = tree.lowerBound(key + u'\\');
        if (child != tree.end() && child.key().startsWith(key + u'\\'))
            return AccessDenied; // still has subkeys
        tree.remove(key);
        return Success;
    }) == Success;
}

int IniRegistry::deleteValue(qint32 root, const QString& path, const QString& name)
{
    const QString key = normalize(path).toLower();
    return modify(root, [&](Tree& tree) {
        auto it = tree.find(key);
        if (it == tree.end())
            return NotFound;
        const qsizetype index = indexOfValue(*it, name);
        if (index < 0)
            return NotFound;
        it->values.removeAt(index);
        return Success;
    });
}

int IniRegistry::queryValue(qint32 root, const QString& path, const QString& name, Value& out)
{
    const Tree tree = load(root);
    const auto it = tree.constFind(normalize(path).toLower());
    if (it == tree.constEnd())
        return NotFound;
    const qsizetype index = indexOfValue(*it, name);
    if (index < 0)
        return NotFound;
    out = it->values[index].value;
    return Success;
}

int IniRegistry::setValue(qint32 root, const QString& path, const QString& name, const Value& value)
{
    const QString key = normalize(path).toLower();
    if (!load(root).contains(key))
        return NotFound; // writes never create keys
    return modify(root, [&](Tree& tree) {
        auto it = tree.find(key);
        if (it == tree.end())
            return NotFound;
        const qsizetype index = indexOfValue(*it, name);
        if (index >= 0)
            it->values[index].value = value;
        else
            it->values.append(NamedValue{name, value});
        return Success;
    });
}

int IniRegistry::replaceValues(
    qint32 root, const QString& path, const QList<std::pair<QString, Value>>& values)
{
    const QString key = normalize(path).toLower();
    if (!load(root).contains(key))
        return NotFound;
    return modify(root, [&](Tree& tree) {
        auto it = tree.find(key);
        if (it == tree.end())
            return NotFound;
        it->values.clear();
        for (const auto& [name, value] : values) {
            const qsizetype index = indexOfValue(*it, name);
            if (index >= 0)
                it->values[index].value = value;
            else
                it->values.append(NamedValue{name, value});
        }
        return Success;
    });
}

std::optional<QStringList> IniRegistry::subkeys(qint32 root, const QString& path)
{
    const Tree tree = load(root);
    const QString key = normalize(path).toLower();
    if (!tree.contains(key))
        return std::nullopt;
    QStringList names;
    const QString prefix = key.isEmpty() ? QString() : key + u'\\';
    for (auto it = tree.lowerBound(prefix); it != tree.end() && it.key().startsWith(prefix); ++it) {
        if (it.key() == key || it.key().mid(prefix.size()).contains(u'\\'))
            continue;
        names << it->path.section(u'\\', -1);
    }
    return names;
}

std::optional<QStringList> IniRegistry::valueNames(qint32 root, const QString& path)
{
    const Tree tree = load(root);
    const auto it = tree.constFind(normalize(path).toLower());
    if (it == tree.constEnd())
        return std::nullopt;
    QStringList names;
    for (const NamedValue& value : it->values)
        names << value.name;
    return names;
}

void IniRegistry::installDefault()
{
    static IniRegistry store;
    RegistryBackend::install(&store);
}
