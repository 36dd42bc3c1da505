#pragma once

#include "desktop/foundation/MainWindowSurfaces.h"
#include "platform/grid/vbalGrid.h"

#include <QDate>
#include <QString>

#include <optional>

// The search window's search: the stored calls below a folder that match its
// criteria, added to its result grid as they are found. The search runs on the
// event loop's thread and lets events run about every 50 ms, so the window
// stays live and its Stop takes effect at once: no record is read after it.
// The status bar given is the search window's; only its panel 1 is written,
// and it must outlive the search.

// SearchFolderTree: the folder's day file Data, then every real subfolder
// (no symbolic link, no hidden folder) in name order, each with its whole
// tree. folder is in the stored form ("\Data", "\Data\Log\2026\12\10\").
// Panel 1 shows text 161 with the running count. The count at the end.
qint32 SearchFolderTree(vbalGrid& grid, const QString& folder, qint32& counter, MainWindowSurfaces& statusBar,
    const QString& name, const QString& number, const QString& notes, bool flagOnly, bool recordedOnly);

// The records of one day file (folder ends with a backslash) that match: a
// non-empty text found, case-sensitively, in the trimmed caller name, number
// or notes, and every ticked box (flagged; a recording). Each is added as a
// search row with counter + 1.
void SearchDataFile(vbalGrid& grid, qint32& counter, const QString& folder, const QString& name,
    const QString& number, const QString& notes, bool flagOnly, bool recordedOnly);

// The folder of the "Search In" list's position: 0 "\Data", 1 the day folder
// of today, 2 "\Data\Log", 3 "\Data\Saved", 4 "\Data\Recycle"; any other
// position is 0's.
QString SearchFolderAt(qint32 position, const QDate& today);

struct SearchCriteria {
    QString name;
    QString number;
    QString notes;
    bool flagOnly = false; // chkWithFlag
    bool recordedOnly = false; // chkWithVoiceMessage
};

// The search window's Search: nothing (nullopt) when the three texts are
// empty, or while a search runs; else clears the grid, sets g_bSearchRunning,
// searches the folder of position and shows the count as text 161 in panel 1.
std::optional<qint32> StartCallSearch(
    vbalGrid& grid, qint32 position, const SearchCriteria& criteria, MainWindowSurfaces& statusBar);

// The search window's Stop: the search ends before its next record, and the
// grid draws again.
void StopCallSearch(vbalGrid& grid);

// How often a search lets events run, in milliseconds of Clock::instance()'s
// elapsed time; 0 runs them before every record (tests that stop a search
// midway). 50 unless set.
void SetSearchEventInterval(qint64 ms);
