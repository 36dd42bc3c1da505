#include "service/web/WebPages.h"

#include "common/AppPaths.h"
#include "common/CallStore.h"
#include "common/Clock.h"
#include "common/DataPaths.h"
#include "common/DateTimeText.h"
#include "common/FixedRecord.h"
#include "common/JournalList.h"
#include "common/JournalText.h"
#include "common/LastList.h"
#include "service/core/mdlContacts.h"
#include "service/web/mdlHttp.h"

#include <QFile>

#include <utility>

namespace {

const QString CRLF = QStringLiteral("\r\n");

QString esc(const QString& text)
{
    return text.toHtmlEscaped();
}

QString journalFolder()
{
    return AppPaths::programFolder() + QStringLiteral("/Journal");
}

struct ShownCall {
    QString line;
    CallRecord record;
};

// The lines of the list whose call record reads; the others are stale.
QList<ShownCall> readableCalls(const QStringList& lines)
{
    QList<LastList::Entry> entries;
    entries.reserve(lines.size());
    for (const QString& line : lines)
        entries.append(LastList::parseLine(line).value_or(LastList::Entry{}));
    const QList<std::optional<CallRecord>> records = ReadCallRecords(entries);
    QList<ShownCall> calls;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (records.at(i))
            calls.append({lines.at(i), *records.at(i)});
    }
    return calls;
}

} // namespace

WebPages::WebPages(QString productTitle, Now now)
    : m_productTitle(std::move(productTitle))
    , m_now(std::move(now))
{
}

QString WebPages::currentDateTime() const
{
    const QDateTime now = m_now ? m_now() : Clock::instance().now();
    return DateTimeText::formatDate(now.date()) + u' ' + DateTimeText::formatTime(now.time());
}

QString WebPages::TopPage() const
{
    return QStringLiteral("<html>") + CRLF
        + QStringLiteral("<head><meta http-equiv=\"Content-Language\" content=\"en-us\">") + CRLF
        + QStringLiteral("<style> body { font-size:10pt }</style>") + CRLF
        + QStringLiteral("<style>tr { font-size:10pt }</style></head>") + CRLF + QStringLiteral("<body>")
        + CRLF;
}

QString WebPages::Links() const
{
    return QStringLiteral("<div align=\"center\">") + CRLF + QStringLiteral("<center>") + CRLF
        + QStringLiteral("<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" style=\"border-collapse: "
                         "collapse\" bordercolor=\"#111111\" width=\"600\" id=\"AutoNumber4\">")
        + CRLF + QStringLiteral("<tr>") + CRLF
        + QStringLiteral("<a href=\"calls\"><font face=\"Arial\"color=#0000FF>Calls List</a> - <a "
                         "href=\"Journal\"><font face=\"Arial\"color=#0000FF>Journal</a></font></td>")
        + CRLF + QStringLiteral("</tr>") + CRLF + QStringLiteral("</table>") + CRLF
        + QStringLiteral("</center>") + CRLF + QStringLiteral("</div>") + CRLF;
}

QString WebPages::PageFooter() const
{
    return CRLF + QStringLiteral("<br><br><font face=\"Arial\" size=\"1\">") + esc(m_productTitle)
        + QStringLiteral("</font>") + CRLF + QStringLiteral("</html>");
}

QString WebPages::LastCalls() const
{
    const QString path = DataPaths::native(DataPaths::lastList());
    QStringList lines;
    QList<ShownCall> calls;
    bool read = false;
    // Under the list's lock, so a line the desktop or the call store adds
    // meanwhile is not undone; the list is written back only when a stale
    // line was dropped. The page shows the readable calls whether or not the
    // cleaned list could be written back.
    static_cast<void>(LastList::change(path, -1, [&](QStringList& listed) {
        read = true;
        lines = listed;
        calls = readableCalls(listed);
        if (calls.size() == listed.size())
            return false;
        listed.clear();
        for (const ShownCall& call : std::as_const(calls))
            listed.append(call.line);
        return true;
    }));
    if (!read) {
        // No lock to be had (a read-only folder): show the list as it is.
        lines = LastList::readLines(path).value_or(QStringList());
        calls = readableCalls(lines);
    }

    QString page;
    page.reserve(1500 + 700 * calls.size());
    page += QStringLiteral("<center>") + CRLF;
    page += QStringLiteral(
                "<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" style=\"border-collapse: "
                "collapse\" bordercolor=\"#111111\" width=\"600\" id=\"AutoNumber1\" height=\"60\">")
        + CRLF;
    page += QStringLiteral("<form method=\"POST\">") + CRLF;
    page += QStringLiteral("<tr>") + CRLF;
    page += QStringLiteral("<td width=\"550%\" bgcolor=\"#3366FF\"><p align=\"left\"><b>") + CRLF;
    page += QStringLiteral(
                "<font face=\"Arial\" size=\"2\" size=\"4\" color=\"#FFFFFF\">&nbsp;</font></b><font "
                "face=\"Arial\" size=\"2\"><b><font color=\"#FFFFFF\" size=\"4\">Calls")
        + CRLF;
    page += QStringLiteral("List -</font></b> </font>") + CRLF;
    page += QStringLiteral("<font size=\"2\" color=\"#FFFFFF\" face=\"Arial\">") + currentDateTime()
        + QStringLiteral("</font><font color=\"#FFFFFF\" face=\"Arial\">") + CRLF;
    page += QStringLiteral("| <font size=\"2\">") + QString::number(lines.size())
        + QStringLiteral(" Calls</font></font></td>") + CRLF;
    page += QStringLiteral("</tr>") + CRLF;
    page += QStringLiteral("</table>") + CRLF;
    page += QStringLiteral("<center>") + CRLF;
    page += QStringLiteral("<table width=\"600\" style=\"border-collapse: collapse\" bordercolor=\"#EAEFF2\" "
                           "cellpadding=\"0\" cellspacing=\"0\" bgcolor=\"#FEBE47 border=\"1\">")
        + CRLF;
    page += QStringLiteral("<tr style=\"font-size: 10pt\">") + CRLF;
    const QString heading = QStringLiteral(
        "<td align=\"center\" bgColor=\"#FEBE47\" height=\"25\" valign=\"bottom\"><font color=\"#FFFFFF\"");
    for (const char16_t* title : {u"Date-Time", u"Name", u"Number", u"Contact"})
        page += heading + QStringLiteral("><B>") + QStringView(title) + QStringLiteral("</B></font></td>")
            + CRLF;
    page += heading + QStringLiteral("></font></td>") + CRLF;
    page += QStringLiteral("</tr>") + CRLF;

    QString colour = QStringLiteral("#ffffff");
    qint32 k = 0;
    for (const ShownCall& call : std::as_const(calls)) {
        ++k;
        const QString name = FixedRecord::trimBlanks(call.record.CallerName);
        const QString number = FixedRecord::trimBlanks(call.record.CallerNumber);
        const QString cell = QStringLiteral("<td bgcolor='") + colour
            + QStringLiteral("'><p align=center><font face=\"Arial\" size=\"2\">");
        page += QStringLiteral("<tr style=\"font-size: 10pt\">") + CRLF;
        page += cell + esc(FixedRecord::trimBlanks(call.record.CallDate)) + u'-'
            + esc(FixedRecord::trimBlanks(call.record.CallTime)) + QStringLiteral("</td><font>") + CRLF;
        page += cell + esc(name) + QStringLiteral("</td></font>") + CRLF;
        page += cell + esc(number) + QStringLiteral("</td></font>") + CRLF;
        page += cell + esc(GetContactName(name, number)) + QStringLiteral("</td><font>") + CRLF;
        page += cell + QStringLiteral("<a href=/del?call=") + QString::number(k)
            + QStringLiteral("><font color=red>Delete</a></td></font>") + CRLF;
        page += QStringLiteral("</tr>") + CRLF;
        colour = colour == u"#ffffff" ? QStringLiteral("#EAEFF2") : QStringLiteral("#ffffff");
    }
    page += QStringLiteral("</table>") + CRLF;
    page += QStringLiteral("</center>") + CRLF;
    return page;
}

QString WebPages::Journal(const QString& sDayViewFile) const
{
    const JournalPiece piece = JournalAround(sDayViewFile);
    QString text;
    if (!piece.path.isEmpty()) {
        JournalText journal(true);
        if (journal.open(piece.path))
            text = QString::fromUtf8(journal.readAll().value_or(QByteArray()));
    }
    return piece.before + text + piece.after;
}

WebPages::JournalPiece WebPages::JournalAround(const QString& sDayViewFile) const
{
    QString page = Links();
    page += QStringLiteral("<center>") + CRLF;
    page += QStringLiteral("<table border=\"0\" cellpadding=\"0\" cellspacing=\"0\" style=\"border-collapse: "
                           "collapse\" bordercolor=\"#111111\" width=\"600\" id=\"AutoNumber3\" "
                           "bgcolor=\"#3366FF\" height=\"60\">")
        + CRLF;
    page += QStringLiteral("<tr>") + CRLF;
    page += QStringLiteral("<td width=\"100%\"><font face=\"Arial\" size=\"2\"><b>") + CRLF;
    page += QStringLiteral("<font color=\"#FFFFFF\" size=\"4\">&nbsp;Journal -</font></b>") + CRLF;
    page += QStringLiteral("<font size=\"2\" color=\"#FFFFFF\">") + currentDateTime()
        + QStringLiteral("</font></font></td>") + CRLF;
    page += QStringLiteral("</tr>") + CRLF;
    page += QStringLiteral("</table>") + CRLF;
    page += QStringLiteral("<center>") + CRLF;
    page += QStringLiteral("<table style=\"BORDER-COLLAPSE: collapse\" cellSpacing=\"0\" border=\"0\" "
                           "width=\"600\">")
        + CRLF;
    page += QStringLiteral("<tr style=\"font-size: 10pt\">") + CRLF;
    page += QStringLiteral("<td vAlign=\"top\" align=\"middle\" width=\"100%\">") + CRLF;
    page += QStringLiteral("<table id=\"AutoNumber2\" style=\"BORDER-COLLAPSE: collapse\" "
                           "borderColor=\"#111111\" cellSpacing=\"0\" cellPadding=\"0\" width=\"100%\" "
                           "border=\"0\">")
        + CRLF;
    page += QStringLiteral("<tr style=\"font-size: 10pt\">") + CRLF;
    page += QStringLiteral("<form method=\"get\">") + CRLF;
    page += QStringLiteral("<td vAlign=\"top\" width=\"31%\">")
        + MakeLogList(QStringLiteral("All"), sDayViewFile)
        + QStringLiteral("<input type=\"submit\" value=\"View\"></td>") + CRLF;
    page += QStringLiteral("</form>") + CRLF;
    page += QStringLiteral("</tr>") + CRLF;
    page += QStringLiteral("<tr style=\"font-size: 10pt\">") + CRLF;
    page += QStringLiteral("<td vAlign=\"top\" width=\"69%\"><textarea rows=\"27\" cols=\"72\">") + CRLF;
    JournalPiece piece;
    piece.before = std::exchange(page, QString());
    if (!sDayViewFile.isEmpty())
        piece.path = ResolveInFolder(journalFolder(), {sDayViewFile});
    page += QStringLiteral("</textarea></td>") + CRLF;
    page += QStringLiteral("</tr>") + CRLF;
    page += QStringLiteral("</table>") + CRLF;
    for (int i = 0; i < 3; ++i)
        page += QStringLiteral("<p align=\"center\">&nbsp;</p>") + CRLF;
    page += QStringLiteral("<p align=\"center\">&nbsp;</td>") + CRLF;
    page += QStringLiteral("</tr>") + CRLF;
    page += QStringLiteral("</table>") + CRLF;
    page += QStringLiteral("</center>") + CRLF;
    page += QStringLiteral("</center>") + CRLF;
    piece.after = page;
    return piece;
}

QString WebPages::MakeLogList(const QString& WhatToShow, const QString& sCurLogFile) const
{
    QString pattern;
    if (WhatToShow == u"All")
        pattern = QStringLiteral("*.txt");
    else if (WhatToShow == u"System")
        pattern = QStringLiteral("*_Sys.txt");
    else if (WhatToShow == u"Calls")
        pattern = QStringLiteral("*_Calls.txt");

    QString list = QStringLiteral("<select name=\"dt\">");
    for (const QString& name : JournalList::sortedJournalNames(journalFolder(), pattern)) {
        const bool selected = name.compare(sCurLogFile, Qt::CaseInsensitive) == 0;
        list += (selected ? QStringLiteral("<option selected>") : QStringLiteral("<option>")) + esc(name)
            + QStringLiteral("</option>") + CRLF;
    }
    list += QStringLiteral("</select>") + CRLF;
    return list;
}

QString WebPages::GetLogFile(const QString& sFileName) const
{
    const QString path = ResolveInFolder(journalFolder(), {sFileName});
    JournalText journal(false);
    if (path.isEmpty() || !journal.open(path))
        return {};
    return QString::fromUtf8(journal.readAll().value_or(QByteArray()));
}
