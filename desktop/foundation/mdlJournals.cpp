#include "desktop/foundation/mdlJournals.h"

#include "common/Clock.h"
#include "common/JournalList.h"
#include "common/JournalText.h"
#include "common/ProgramPath.h"
#include "common/RegistryRoutines.h"
#include "common/SharedFile.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/DialogProvider.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

const QString kLogSettings = u"Properties\\TabLog"_s;

// "<program folder>/Journal/"; empty when the program folder gives none.
QString journalFolder()
{
    return ProgramPath::toNative(u"\\Journal\\"_s).value_or(QString());
}

bool isLockFileName(const QString& name)
{
    return name.startsWith(u'.') && name.endsWith(u".lock"_s) && name.size() > 6;
}

} // namespace

QString JournalPattern(qint16 kind)
{
    switch (kind) {
    case 0:
        return u"*.txt"_s;
    case 1:
        return u"*_Sys.txt"_s;
    case 2:
        return u"*_Calls.txt"_s;
    case 3:
        return u"*_WWW.txt"_s;
    default:
        return {};
    }
}

QStringList JournalNames(qint16 kind)
{
    const QString folder = journalFolder();
    if (folder.isEmpty())
        return {};
    return JournalList::sortedJournalNames(folder, JournalPattern(kind));
}

void FillJournalList(QListWidget& list, qint16 kind)
{
    list.clear();
    list.addItems(JournalNames(kind));
    if (list.count() > 0)
        list.setCurrentRow(0);
}

bool IsJournalName(const QString& name)
{
    if (name.isEmpty() || name.startsWith(u'.') || name.toUtf8().size() > 255)
        return false;
    for (const QChar c : name) {
        if (c == u'/' || c == u'\\' || c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    }
    return true;
}

std::optional<QStringList> ReadJournalLines(const QString& name)
{
    const QString folder = journalFolder();
    if (!IsJournalName(name) || folder.isEmpty())
        return std::nullopt;
    const QFileInfo info(folder + name);
    // A link could show any file of the machine under a journal's name.
    if (info.isSymLink() || !info.isFile())
        return std::nullopt;
    JournalText text(false);
    if (!text.open(info.filePath()))
        return std::nullopt;
    const std::optional<QByteArray> all = text.readAll();
    if (!all)
        return std::nullopt;
    QStringList lines = QString::fromUtf8(*all).split(u"\r\n"_s);
    lines.removeLast(); // every line comes ended, the last one too
    return lines;
}

bool LoadJournalFile(QListWidget& list, const QString& name)
{
    list.clear();
    const std::optional<QStringList> lines = ReadJournalLines(name);
    if (!lines)
        return false;
    list.addItems(*lines);
    return true;
}

bool DeleteJournalFile(const QString& name)
{
    const QString folder = journalFolder();
    if (!IsJournalName(name) || folder.isEmpty())
        return false;
    const QString path = folder + name;
    const QString lockPath = SharedFileLock::lockPathFor(path);
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) {
        QFile::remove(lockPath);
        return false;
    }
    {
        // Not in the middle of the service's append.
        const SharedFileLock lock(path);
        if (!QFile::remove(path))
            return false;
        QFile::remove(lockPath);
    }
    return true;
}

QStringList PurgeOldJournals(qint32 months)
{
    QStringList deleted;
    const QString folder = journalFolder();
    if (folder.isEmpty())
        return deleted;
    const QDate limitDay = Clock::instance().now().date().addMonths(months);
    const QDateTime limit(limitDay, QTime(0, 0));
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QFileInfo& file : files) {
        const QString name = file.fileName();
        if (name == u"LogDir")
            continue;
        const bool lockFile = isLockFileName(name);
        if (name.startsWith(u'.') && !lockFile)
            continue; // a hidden file of somebody else's
        if (!QFileInfo::exists(file.filePath()) || file.lastModified() > limit)
            continue; // gone with its journal, or not old enough
        if (lockFile ? QFile::remove(file.filePath()) : DeleteJournalFile(name))
            deleted.append(name);
    }
    return deleted;
}

std::optional<qint32> RetentionMonths(const QString& stored)
{
    if (stored == u"0")
        return -1;
    if (stored == u"1")
        return -2;
    if (stored == u"2")
        return -3;
    return std::nullopt;
}

std::optional<qint32> RangeForLog()
{
    const std::optional<qint32> months
        = RetentionMonths(RegistryRoutines::forProduct(kLogSettings).getString(u"cmbLogFor"_s));
    if (months)
        PurgeOldJournals(*months);
    return months;
}

bool DeleteSelectedJournal(QListWidget& files, QListWidget& content, qint16 kind, QWidget* owner)
{
    const QListWidgetItem* item = files.currentItem();
    const QString name = item ? item->text() : QString();
    if (name.isEmpty())
        return false;
    if (RegistryRoutines::forProduct(kLogSettings).getString(u"chkWornBeforeDelete"_s) == u"1") {
        MessageBoxRequest question;
        question.owner = owner;
        question.title = g_sProductTitle;
        question.text = u"Delete "_s + name + u" ?"_s;
        question.yesNo = true;
        if (CurrentDialogProvider().messageBox(question) != 6)
            return false;
    }
    const bool deleted = DeleteJournalFile(name);
    if (!deleted)
        std::fprintf(stderr, "Ringvale: the journal %s could not be deleted\n", qPrintable(name));
    content.clear();
    FillJournalList(files, kind);
    return deleted;
}
