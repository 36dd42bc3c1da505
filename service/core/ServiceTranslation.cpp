#include "service/core/ServiceTranslation.h"

#include "common/SharedUtilities.h"
#include "common/TranslationFile.h"

#include <QFileInfo>
#include <QStringList>

namespace {

constexpr int kServiceLines = 20;

QStringList& table()
{
    static QStringList texts(kServiceLines + 1);
    return texts;
}

} // namespace

qint32 LoadServiceTranslation(const QString& path)
{
    const TranslationFile::ReadResult read = TranslationFile::readLines(path, kServiceLines);
    QStringList& texts = table();
    // An edited file may hold control characters: they never reach a
    // record or a journal.
    for (int i = 0; i < read.lines.size(); ++i)
        texts[i + 1] = withoutControlCharacters(read.lines[i]);
    if (!read.lines.isEmpty() && texts[TranslationFile::kUserMarkLine] == TranslationFile::kUserMark) {
        const QString english = QFileInfo(path).absolutePath() + QStringLiteral("/English.txt");
        const TranslationFile::ReadResult basic = TranslationFile::readLines(english, 1);
        const QString description = withoutControlCharacters(basic.lines.value(0));
        texts[TranslationFile::kUserMarkLine]
            = description == TranslationFile::kUserMark ? QString() : description;
    }
    return read.error;
}

QString ServiceTrans(int entry)
{
    return table().value(entry);
}
