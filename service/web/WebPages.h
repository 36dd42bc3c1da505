#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

// The web server's page builders: each returns one piece of a page. The
// server joins them:
//   calls page:                TopPage, Links, CR LF, LastCalls, PageFooter
//   calls page after deletion: TopPage, Links, CR LF, LastCalls
//   journal page:              TopPage, Journal(file or empty)
// Every value taken from a file (call fields, contact names, journal names
// and text) is HTML-escaped: caller names come from the telephone network
// and the web journal holds whatever anyone sent.
class WebPages {
public:
    using Now = std::function<QDateTime()>;

    // productTitle: shown in the footer. now: the date and time shown in the
    // headings (empty: the system clock).
    explicit WebPages(QString productTitle, Now now = {});

    QString TopPage() const;
    QString Links() const;
    QString PageFooter() const;
    // The calls table of Data/Last. Lines whose call record cannot be read are
    // left out and, when there are any, dropped from the list under its lock.
    QString LastCalls() const;
    // The journal piece; the text of sDayViewFile (found in the journal folder
    // without regard to letter case) when it is not empty.
    QString Journal(const QString& sDayViewFile = QString()) const;
    // The journal piece around the file's text, for a server that sends the
    // text a block at a time (JournalText, escaped): path is the file found,
    // empty when none is shown.
    struct JournalPiece {
        QString before;
        QString path;
        QString after;
    };
    JournalPiece JournalAround(const QString& sDayViewFile = QString()) const;
    // The drop-down list of journal files: WhatToShow "All", "System" or
    // "Calls" (any other: every file); sCurLogFile is the selected option.
    QString MakeLogList(const QString& WhatToShow, const QString& sCurLogFile) const;
    // The file's lines, each ended by CR LF; empty when it is missing, is no
    // plain name of the journal folder, or cannot be read. Of a file over
    // 4 MiB, the last 4 MiB from the first whole line on, after a line that
    // says earlier lines are not shown.
    QString GetLogFile(const QString& sFileName) const;

private:
    QString currentDateTime() const;

    QString m_productTitle;
    Now m_now;
};
