#include "desktop/contacts/ContactPictures.h"

#include "common/AppPaths.h"
#include "common/SharedFile.h"
#include "desktop/foundation/ContactStore.h"
#include "desktop/foundation/WindowUtilities.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace ContactPictures {

namespace {

constexpr int kFieldBytes = 64;

bool fits(const QString& name)
{
    return name.toUtf8().size() <= kFieldBytes;
}

QString freeName(const QString& name, const QSet<QString>& used)
{
    const QFileInfo info(name);
    QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    if (suffix.toUtf8().size() > 16)
        suffix.clear();
    const QString stem = name.left(name.size() - suffix.size());
    const QDir pics(folder());
    for (int n = 1; n < 100000; ++n) {
        const QString tail = u'-' + QString::number(n) + suffix;
        const QString candidate = fitBytes(stem, kFieldBytes - int(tail.toUtf8().size())) + tail;
        if (!used.contains(candidate) && !QFileInfo::exists(pics.filePath(candidate)))
            return candidate;
    }
    return {};
}

} // namespace

QString folder()
{
    return AppPaths::programFolder() + QStringLiteral("/Pics/");
}

QString fitBytes(const QString& name, int maxBytes)
{
    QString result;
    int bytes = 0;
    for (const char32_t c : name.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        const int size = int(one.toUtf8().size());
        if (bytes + size > maxBytes)
            break;
        result += one;
        bytes += size;
    }
    return result;
}

std::optional<QString> store(const QString& chosenPath)
{
    const QFileInfo chosen(chosenPath);
    const QString name = chosen.fileName();
    static_cast<void>(SharedFile::makeFolder(folder()));
    const QFileInfo stored(folder() + name);
    if (fits(name) && stored.exists() && stored.canonicalFilePath() == chosen.canonicalFilePath())
        return name;
    const QSet<QString> used = PictureFilesInUse();
    QString target = name;
    if (!fits(name) || used.contains(name))
        target = freeName(name, used);
    if (target.isEmpty() || !CopyFileReplacing(chosenPath, folder() + target))
        return std::nullopt;
    return target;
}

} // namespace ContactPictures
