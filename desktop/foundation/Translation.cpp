#include "desktop/foundation/Translation.h"

#include "common/ProgramPath.h"
#include "common/TranslationFile.h"

namespace {

constexpr int kDesktopEntries = 5000;

struct DesktopTable {
    QStringList texts = QStringList(kDesktopEntries + 1);
    bool rightToLeft = false;
};

DesktopTable& table()
{
    static DesktopTable desktop;
    return desktop;
}

} // namespace

QString g_sTrans(int entry)
{
    return table().texts.value(entry);
}

bool g_bRTL()
{
    return table().rightToLeft;
}

qint32 LoadTranslation(const QString& path)
{
    const TranslationFile::ReadResult read = TranslationFile::readLines(path, TranslationFile::kLineCount);
    DesktopTable& desktop = table();
    for (int i = 0; i < read.lines.size(); ++i)
        desktop.texts[i + 1] = read.lines[i];
    if (read.error == TranslationFile::NoError
        && desktop.texts[TranslationFile::kDirectionLine] == TranslationFile::kRightToLeft)
        desktop.rightToLeft = true;
    return read.error;
}

void ResetTranslation()
{
    table() = DesktopTable();
}

QString g_sTransPath()
{
    return ProgramPath::toNative(QStringLiteral("\\Trans\\")).value_or(QString());
}

qint32 TranslationEditBuffer::load(const QString& fileName)
{
    m_lines = QStringList(TranslationFile::kLineCount);
    m_fileName.clear();
    const std::optional<QString> path = TranslationFile::pathFor(fileName);
    if (!path)
        return TranslationFile::FileNotFound;
    const TranslationFile::ReadResult read = TranslationFile::readLines(*path, TranslationFile::kLineCount);
    for (int i = 0; i < read.lines.size(); ++i)
        m_lines[i] = read.lines[i];
    if (read.error != TranslationFile::FileAccess)
        m_fileName = fileName;
    return read.error;
}

QString TranslationEditBuffer::entry(int code) const
{
    return m_lines.value(code - 1);
}

void TranslationEditBuffer::setEntry(int code, const QString& text)
{
    if (code >= 1 && code <= TranslationFile::kLineCount)
        m_lines[code - 1] = text;
}

TranslationEditBuffer& g_sTransEdit()
{
    static TranslationEditBuffer buffer;
    return buffer;
}

bool SaveTranslationFile(const QString& targetName)
{
    const TranslationEditBuffer& buffer = g_sTransEdit();
    if (targetName.isEmpty() || buffer.fileName() != targetName)
        return false;
    const std::optional<QString> path = TranslationFile::pathFor(targetName);
    if (!path)
        return false;
    return TranslationFile::write(*path, buffer.lines());
}
