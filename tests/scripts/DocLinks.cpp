#include "tests/scripts/DocLinks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace DocLinks {

namespace {

const QRegularExpression& fence()
{
    static const QRegularExpression re(u"^\\s{0,3}(```|~~~)"_s);
    return re;
}

// The page without its fenced code blocks (their lines left empty, so line
// structure stays).
QString withoutFencedCode(const QString& markdown)
{
    QStringList lines = markdown.split(u'\n');
    bool inside = false;
    for (QString& line : lines) {
        const bool isFence = fence().match(line).hasMatch();
        if (inside || isFence)
            line.clear();
        if (isFence)
            inside = !inside;
    }
    return lines.join(u'\n');
}

// Code spans may run over a line break; their backticks pair by count.
QString withoutCodeSpans(const QString& text)
{
    static const QRegularExpression span(u"(`+)[\\s\\S]*?\\1"_s);
    return QString(text).remove(span);
}

QString readPage(const QString& path, bool* ok)
{
    QFile file(path);
    *ok = file.open(QIODevice::ReadOnly);
    return *ok ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

QString headingAnchor(const QString& heading)
{
    // A link in a heading shows its text only.
    static const QRegularExpression link(u"\\[([^\\]]*)\\]\\([^)]*\\)"_s);
    const QString text = QString(heading).replace(link, u"\\1"_s).toLower();
    QString anchor;
    for (const QChar c : text) {
        if (c.isLetterOrNumber() || c.isMark() || c == u'_' || c == u'-')
            anchor += c;
        else if (c == u' ')
            anchor += u'-';
    }
    return anchor;
}

QStringList headingAnchors(const QString& markdown)
{
    static const QRegularExpression heading(u"^\\s{0,3}#{1,6}\\s+(.*?)(?:\\s+#+)?\\s*$"_s);
    QStringList anchors;
    QHash<QString, int> seen;
    for (const QString& line : withoutFencedCode(markdown).split(u'\n')) {
        const QRegularExpressionMatch match = heading.match(line);
        if (!match.hasMatch())
            continue;
        const QString anchor = headingAnchor(match.captured(1));
        const int before = seen.value(anchor, 0);
        seen[anchor] = before + 1;
        anchors << (before == 0 ? anchor : anchor + u'-' + QString::number(before));
    }
    return anchors;
}

QStringList linkTargets(const QString& markdown)
{
    static const QRegularExpression inlineLink(
        u"!?\\[[^\\]]*\\]\\(\\s*<?([^)\\s>]*)>?(?:\\s+\"[^\"]*\")?\\s*\\)"_s);
    static const QRegularExpression definition(
        u"^\\s{0,3}\\[[^\\]]+\\]:\\s*<?([^\\s>]+)"_s, QRegularExpression::MultilineOption);
    const QString text = withoutCodeSpans(withoutFencedCode(markdown));
    QStringList targets;
    for (const QRegularExpression* re : {&inlineLink, &definition}) {
        for (auto it = re->globalMatch(text); it.hasNext();)
            targets << it.next().captured(1);
    }
    return targets;
}

QStringList brokenLinks(const QStringList& pages, int* checked)
{
    static const QRegularExpression scheme(u"^([A-Za-z][A-Za-z0-9+.-]*:|//)"_s);
    QStringList broken;
    int count = 0;
    QHash<QString, QStringList> anchorsOf;
    const auto anchors = [&anchorsOf](const QString& path) {
        if (!anchorsOf.contains(path)) {
            bool ok = false;
            anchorsOf.insert(path, headingAnchors(readPage(path, &ok)));
        }
        return anchorsOf.value(path);
    };
    for (const QString& page : pages) {
        bool ok = false;
        const QString markdown = readPage(page, &ok);
        const QString name = QFileInfo(page).fileName();
        if (!ok) {
            broken << name + u": cannot be read"_s;
            continue;
        }
        for (const QString& target : linkTargets(markdown)) {
            if (scheme.match(target).hasMatch())
                continue;
            ++count;
            const auto complain
                = [&](const QString& reason) { broken << name + u": "_s + target + u": "_s + reason; };
            const qsizetype hash = target.indexOf(u'#');
            const QString path = QUrl::fromPercentEncoding(target.left(hash).toUtf8());
            const QString anchor = hash < 0 ? QString() : target.mid(hash + 1);
            const QString file = path.isEmpty() ? page : QFileInfo(page).dir().filePath(path);
            if (path.isEmpty() && anchor.isEmpty()) {
                complain(u"empty link"_s);
                continue;
            }
            if (!QFileInfo::exists(file)) {
                complain(u"no such file"_s);
                continue;
            }
            if (anchor.isEmpty())
                continue;
            if (!file.endsWith(u".md"_s, Qt::CaseInsensitive) || QFileInfo(file).isDir())
                complain(u"an anchor into what is not a Markdown page"_s);
            else if (!anchors(QFileInfo(file).canonicalFilePath()).contains(anchor))
                complain(u"no such heading"_s);
        }
    }
    if (checked)
        *checked = count;
    return broken;
}

} // namespace DocLinks
