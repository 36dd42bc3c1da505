#include "common/SharedUtilities.h"

#include "common/Clock.h"
#include "common/ProgramPath.h"
#include "common/SharedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QObject>
#include <QPointer>

QString MakeDateTimeStamp(const QString& date, const QString& time, bool dashes, StampRule rule)
{
    QString stamp;
    stamp.reserve(date.size() + time.size() + 1);
    for (const QChar c : date) {
        const bool separator = c == u'/' || (rule == StampRule::Desktop && c == u':');
        if (!separator)
            stamp += c;
        else if (dashes)
            stamp += u'-';
    }
    if (time.isEmpty())
        return stamp;
    if (dashes)
        stamp += u'_';
    for (const QChar c : time) {
        if (c != u':')
            stamp += c;
        else if (dashes)
            stamp += u'-';
    }
    return stamp;
}

QString EnsureDatedFolders(const QString& base)
{
    const QDate today = Clock::instance().now().date();
    const QString yyyy = QStringLiteral("%1").arg(today.year(), 4, 10, QLatin1Char('0'));
    const QString mm = QStringLiteral("%1").arg(today.month(), 2, 10, QLatin1Char('0'));
    const QString dd = QStringLiteral("%1").arg(today.day(), 2, 10, QLatin1Char('0'));
    const QString levels[] = {
        base + u'\\' + yyyy,
        base + u'\\' + yyyy + u'\\' + mm,
        base + u'\\' + yyyy + u'\\' + mm + u'\\' + dd,
    };
    bool dayExisted = false;
    for (const QString& level : levels) {
        const std::optional<QString> native = ProgramPath::toNative(level);
        if (!native)
            return {};
        dayExisted = QFileInfo(*native).isDir();
        if (!dayExisted && !SharedFile::makeFolder(*native))
            return {};
    }
    return dayExisted ? dd : QString();
}

QString withoutLineBreaks(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    return text;
}

QString withoutControlCharacters(QString text)
{
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t') || (u >= 0x7F && u < 0xA0))
            c = u' ';
    }
    return text;
}

bool TruncateFile(const QString& path, qint64 length)
{
    if (length < 0 || !QFileInfo(path).isFile())
        return false;
    return QFile::resize(path, length);
}

QString YesNo(bool flag)
{
    return flag ? QStringLiteral("Yes") : QStringLiteral("No");
}

namespace {

QList<QPointer<QObject>>& loadedForms()
{
    static QList<QPointer<QObject>> forms;
    return forms;
}

} // namespace

void RegisterLoadedForm(QObject* form)
{
    if (form && !loadedForms().contains(form))
        loadedForms().append(form);
}

void UnregisterLoadedForm(QObject* form)
{
    loadedForms().removeAll(form);
}

bool IsFormLoaded(const QString& name)
{
    return LoadedForm(name) != nullptr;
}

QObject* LoadedForm(const QString& name)
{
    QList<QPointer<QObject>>& forms = loadedForms();
    forms.removeIf([](const QPointer<QObject>& form) { return form.isNull(); });
    for (const QPointer<QObject>& form : forms) {
        if (form->objectName() == name)
            return form.data();
    }
    return nullptr;
}
