#include "tools/ringvale-reg/RegTool.h"

#include "common/RegistryRoutines.h"
#include "common/SharedFile.h"

#include <QFile>

namespace {

struct KeyName {
    qint32 root = 0;
    QString path;
};

std::optional<KeyName> parseKey(const QString& text)
{
    const QString rootText = text.section(u'\\', 0, 0).toUpper();
    const QString path = text.section(u'\\', 1);
    if (rootText == u"HKLM" || rootText == u"HKEY_LOCAL_MACHINE")
        return KeyName{RegistryRoutines::HKEY_LOCAL_MACHINE, path};
    if (rootText == u"HKCU" || rootText == u"HKEY_CURRENT_USER")
        return KeyName{RegistryRoutines::HKEY_CURRENT_USER, path};
    if (rootText == u"HKCR" || rootText == u"HKEY_CLASSES_ROOT")
        return KeyName{RegistryRoutines::HKEY_CLASSES_ROOT, path};
    return std::nullopt;
}

// Why the last change failed when the store could not be written, else the
// guess given.
QString whyNot(QStringView guess)
{
    const QString reason = SharedFile::lastWriteFailure();
    return reason.isEmpty() ? guess.toString() : QStringLiteral(": ") + reason;
}

// An object whose key is exactly the given path.
RegistryRoutines objectFor(const KeyName& key)
{
    return RegistryRoutines(key.root, key.path, QString());
}

QString printable(const QVariant& value)
{
    if (value.typeId() == QMetaType::QByteArray)
        return QString::fromLatin1(value.toByteArray().toHex());
    return value.toString();
}

int importFile(const QString& fileName, bool keep, QTextStream& err)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        err << "ringvale-reg: cannot read " << fileName << "\n";
        return 2;
    }
    std::optional<KeyName> current;
    int lineNumber = 0;
    int failures = 0;
    while (!file.atEnd()) {
        ++lineNumber;
        QString line = QString::fromUtf8(file.readLine());
        while (line.endsWith(u'\n') || line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            current = parseKey(line.mid(1, line.size() - 2));
            if (!current || objectFor(*current).CreateKey(QString()).isEmpty()) {
                err << fileName << ":" << lineNumber << ": cannot create key " << line << "\n";
                current.reset();
                ++failures;
            }
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (!current || eq <= 0) {
            err << fileName << ":" << lineNumber << ": not a value line\n";
            ++failures;
            continue;
        }
        const RegistryRoutines reg = objectFor(*current);
        const QString name = line.left(eq);
        if (keep && reg.hasValue(name))
            continue;
        if (!reg.setString(name, line.mid(eq + 1))) {
            err << fileName << ":" << lineNumber << ": cannot write " << name << whyNot(u"") << "\n";
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

const char* const kHelp
    = "usage: ringvale-reg COMMAND KEY [NAME [VALUE]]\n"
      "Reads and changes the settings store: $RINGVALE_REGISTRY, else\n"
      "$XDG_CONFIG_HOME/Ringvale (normally ~/.config/Ringvale).\n"
      "\n"
      "  get KEY NAME            print the value\n"
      "  set KEY NAME VALUE      write a string value (the key must exist)\n"
      "  create KEY              create a key and its parents\n"
      "  delete KEY NAME         delete a value\n"
      "  delete KEY              delete a key with everything below it\n"
      "  list KEY                subkeys as \"NAME\\\", then values as \"NAME=VALUE\"\n"
      "  import FILE [--keep]    apply a file of [KEY] lines and NAME=VALUE lines;\n"
      "                          --keep leaves values that are set alone\n"
      "\n"
      "KEY begins with its root: HKLM, HKCU, HKCR (or HKEY_LOCAL_MACHINE, ...),\n"
      "then the path with backslashes; quote it in a shell, e.g.\n"
      "  ringvale-reg get 'HKLM\\SOFTWARE\\Brask\\Ringvale 1.1\\Properties\\TabGeneral' ChkRunAsProc\n"
      "Values are taken and printed as they are, no escapes; binary values print\n"
      "as hexadecimal digits.\n"
      "\n"
      "Exit status: 0 done; 1 no such value or key, or it could not be written\n"
      "(a line of an import that failed); 2 bad arguments, or the import file\n"
      "cannot be read.\n";

} // namespace

int runRegTool(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const QString command = args.value(0);
    if (args.size() == 1 && (command == u"--help" || command == u"-h" || command == u"help")) {
        out << kHelp;
        return 0;
    }
    if (command == u"import" && (args.size() == 2 || (args.size() == 3 && args[2] == u"--keep")))
        return importFile(args[1], args.size() == 3, err);

    const auto key = parseKey(args.value(1));
    if (args.size() < 2 || !key) {
        err << "usage: ringvale-reg get|set|create|delete|list KEY [NAME [VALUE]]\n"
               "       ringvale-reg import FILE [--keep]\n"
               "KEY begins with HKLM, HKCU or HKCR; ringvale-reg --help tells more\n";
        return 2;
    }
    const RegistryRoutines reg = objectFor(*key);

    if (command == u"get" && args.size() == 3) {
        const QVariant value = reg.GetRegistryValue(args[2]);
        if (!value.isValid()) {
            if (reg.KeyExists())
                err << "ringvale-reg: no value " << args[2] << " in " << args[1] << "\n";
            else
                err << "ringvale-reg: no key " << args[1] << "\n";
            return 1;
        }
        out << printable(value) << "\n";
        return 0;
    }
    if (command == u"set" && args.size() == 4) {
        if (reg.setString(args[2], args[3]))
            return 0;
        err << "ringvale-reg: cannot write " << args[2] << " in " << args[1] << whyNot(u"") << "\n";
        return 1;
    }
    if (command == u"create" && args.size() == 2) {
        if (!reg.CreateKey(QString()).isEmpty())
            return 0;
        err << "ringvale-reg: cannot create " << args[1] << whyNot(u"") << "\n";
        return 1;
    }
    if (command == u"delete" && args.size() == 3) {
        if (reg.DeleteValue(args[2]) == 0)
            return 0;
        err << "ringvale-reg: cannot delete " << args[2] << " in " << args[1] << whyNot(u" (is it there?)")
            << "\n";
        return 1;
    }
    if (command == u"delete" && args.size() == 2) {
        const KeyName parent{key->root, key->path.section(u'\\', 0, -2)};
        // Whether the key is gone is what counts: one that was never there
        // is deleted all the same.
        static_cast<void>(objectFor(parent).DeleteKey(key->path.section(u'\\', -1)));
        if (!reg.KeyExists())
            return 0;
        err << "ringvale-reg: cannot delete " << args[1] << whyNot(u"") << "\n";
        return 1;
    }
    if (command == u"list" && args.size() == 2) {
        if (!reg.KeyExists()) {
            err << "ringvale-reg: no such key\n";
            return 1;
        }
        for (const QString& name : RegistryRoutines::EnumRegistryKeys(key->root, key->path))
            out << name << "\\\n";
        for (const QString& name : RegistryRoutines::EnumRegistryValues(key->root, key->path))
            out << name << "=" << printable(reg.GetRegistryValue(name)) << "\n";
        return 0;
    }
    err << "ringvale-reg: unknown command or wrong number of arguments\n";
    return 2;
}
