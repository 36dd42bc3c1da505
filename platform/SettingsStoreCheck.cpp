#include "platform/SettingsStoreCheck.h"

#include "common/RegistryRoutines.h"
#include "platform/IniRegistry.h"

#include <QFile>
#include <QFileInfo>

namespace SettingsStoreCheck {

namespace {

// The store is small; this bounds what a damaged or planted file costs.
constexpr qint64 kMaxBytes = 64 * 1024 * 1024;

const char* const kRemedy
    = "run `make run`, or `ringvale-reg import data/Defaults.reg` from the source folder";

} // namespace

Result check(const QString& folder)
{
    Result result;
    result.file = IniRegistry(folder).fileFor(RegistryRoutines::HKEY_LOCAL_MACHINE);
    const QString productKey = u"HKLM\\" + RegistryRoutines::productKey();
    const QFileInfo info(result.file);
    if (!info.exists() && !info.isSymLink()) {
        result.state = Result::State::Missing;
        result.problem
            = QStringLiteral("no settings store at %1; %2.").arg(result.file, QString::fromLatin1(kRemedy));
        return result;
    }
    QString reason;
    QFile file(result.file);
    if (info.isDir())
        reason = QStringLiteral("it is a folder");
    else if (info.size() > kMaxBytes)
        reason = QStringLiteral("it is larger than %1 bytes").arg(kMaxBytes);
    else if (!file.open(QIODevice::ReadOnly))
        reason = file.errorString();
    if (!reason.isEmpty()) {
        result.state = Result::State::Unreadable;
        result.problem = QStringLiteral("cannot read the settings store %1: %2; move it away, then %3.")
                             .arg(result.file, reason, QString::fromLatin1(kRemedy));
        return result;
    }
    const QByteArray text = file.read(kMaxBytes);
    const IniRegistry::Tree tree = IniRegistry::parse(text);
    if (!tree.contains(IniRegistry::normalize(RegistryRoutines::productKey()).toLower())) {
        result.state = Result::State::NoProductKey;
        result.problem = QStringLiteral("the settings store %1 holds no key %2 (empty or damaged); %3.")
                             .arg(result.file, productKey, QString::fromLatin1(kRemedy));
        return result;
    }
    // Every write ends the file with a line end; a copy cut short does not.
    if (!text.endsWith('\n')) {
        QString last = QString::fromUtf8(text.mid(text.lastIndexOf('\n') + 1).left(60));
        // Shown on one line of a terminal: no control characters.
        for (QChar& c : last) {
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                c = u'?';
        }
        result.warning = QStringLiteral("the settings store %1 ends in the middle of a line (cut short?): "
                                        "\"%2\" may be wrong; check it with ringvale-reg list.")
                             .arg(result.file, last);
    }
    return result;
}

} // namespace SettingsStoreCheck
