#include "desktop/foundation/CallSearch.h"

#include "common/CallRecord.h"
#include "common/Clock.h"
#include "common/DataPaths.h"
#include "common/RecordReader.h"
#include "desktop/foundation/CallRows.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/Translation.h"
#include "desktop/foundation/mdlFunctions.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>

#include <algorithm>
#include <string_view>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

qint64 g_eventIntervalMs = 50;
// Records tested between two looks at the clock: well under a millisecond.
constexpr int kTicksPerClockLook = 256;
bool g_searchActive = false;

// Where a field lies in a record's bytes.
struct FieldSpan {
    int offset = 0;
    int width = 0;
};

FieldSpan spanOf(QString CallRecord::*member)
{
    for (const RecordField<CallRecord>& field : CallRecord::layout()) {
        if (field.member == member)
            return {field.offset, field.width};
    }
    return {};
}

// The field's bytes with blanks trimmed, as readers compare fields.
QByteArrayView trimmedField(QByteArrayView record, const FieldSpan& span)
{
    QByteArrayView field = record.sliced(span.offset, span.width);
    while (!field.isEmpty() && field.front() == ' ')
        field = field.sliced(1);
    while (!field.isEmpty() && field.back() == ' ')
        field.chop(1);
    return field;
}

// Whether the text (not empty) occurs in the field once its blanks are
// trimmed. Outside its trimmed part a field holds only blanks, so a text that
// neither starts nor ends with one occurs there exactly when it occurs in the
// whole field, which spares trimming the padding of every record.
bool fieldContains(QByteArrayView record, const FieldSpan& span, const QByteArray& text)
{
    if (text.front() == ' ' || text.back() == ' ')
        return trimmedField(record, span).contains(text);
    const std::string_view field(record.data() + span.offset, size_t(span.width));
    return field.find(std::string_view(text.constData(), size_t(text.size()))) != std::string_view::npos;
}

// The criteria as the bytes they are compared with: fields are UTF-8, so a
// text occurs in a field exactly when its bytes occur in the field's bytes,
// and only the records that match need decoding.
struct Matcher {
    QByteArray name;
    QByteArray number;
    QByteArray notes;
    bool flagOnly = false;
    bool recordedOnly = false;
    FieldSpan nameSpan = spanOf(&CallRecord::CallerName);
    FieldSpan numberSpan = spanOf(&CallRecord::CallerNumber);
    FieldSpan notesSpan = spanOf(&CallRecord::Notes);
    FieldSpan flagSpan = spanOf(&CallRecord::FlagMark);
    FieldSpan typeSpan = spanOf(&CallRecord::CallType);

    bool matches(QByteArrayView record) const
    {
        const bool text = (!name.isEmpty() && fieldContains(record, nameSpan, name))
            || (!number.isEmpty() && fieldContains(record, numberSpan, number))
            || (!notes.isEmpty() && fieldContains(record, notesSpan, notes));
        if (!text)
            return false;
        if (flagOnly && trimmedField(record, flagSpan) != "1")
            return false;
        if (recordedOnly) {
            const QByteArrayView type = trimmedField(record, typeSpan);
            if (type != "2" && type != "3" && type != "4")
                return false;
        }
        return true;
    }
};

QString countText(qint32 counter)
{
    return ReplacePlaceholder(g_sTrans(161), QString::number(counter));
}

// Lets events run when the interval has passed since they last did, and
// shows the running count meanwhile.
class EventPace {
public:
    static EventPace& instance()
    {
        static EventPace pace;
        return pace;
    }

    void begin(MainWindowSurfaces* statusBar, const qint32* counter)
    {
        m_statusBar = statusBar;
        m_counter = counter;
        m_last = Clock::instance().elapsedMs();
    }
    void end()
    {
        m_statusBar = nullptr;
        m_counter = nullptr;
    }

    void tick()
    {
        // Looking at the clock costs more than testing a record.
        if (g_eventIntervalMs > 0 && ++m_sinceClock < kTicksPerClockLook)
            return;
        m_sinceClock = 0;
        const qint64 now = Clock::instance().elapsedMs();
        if (g_eventIntervalMs > 0 && now - m_last < g_eventIntervalMs)
            return;
        m_last = now;
        if (m_statusBar && m_counter)
            m_statusBar->SetPanelText(1, countText(*m_counter));
        QCoreApplication::processEvents();
    }

private:
    MainWindowSurfaces* m_statusBar = nullptr;
    const qint32* m_counter = nullptr;
    qint64 m_last = 0;
    int m_sinceClock = 0;
};

QString withBackslash(const QString& folder)
{
    return folder.endsWith(u'\\') ? folder : folder + u'\\';
}

void searchTree(QPointer<vbalGrid>& grid, const QString& folder, qint32& counter,
    MainWindowSurfaces& statusBar, const Matcher& matcher);

// The folder's subfolders that are neither hidden nor symbolic links, in name
// order, as QDir::entryList(Dirs | NoDotAndDotDot | NoSymLinks, Name) lists
// them; the listing's own types spare a stat per entry.
QStringList realSubfolders(const QString& native)
{
    QStringList names;
    DIR* dir = ::opendir(QFile::encodeName(native).constData());
    if (!dir)
        return names;
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue; // ".", ".." and hidden folders
        bool folder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat info { };
            folder
                = ::fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode);
        }
        if (folder)
            names.append(QFile::decodeName(entry->d_name));
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

void searchDay(QPointer<vbalGrid>& grid, qint32& counter, const QString& folder, const Matcher& matcher)
{
    if (!g_bSearchRunning || !grid)
        return;
    const QString path = DataPaths::native(folder + u"Data"_s);
    if (path.isEmpty())
        return;
    RecordReader reader(path, CallRecord::Size);
    if (!reader.isOpen())
        return; // no day file here
    grid->SetRedraw(false);
    qint32 number = 0;
    EventPace& pace = EventPace::instance();
    for (QByteArrayView block = reader.nextBlock(); !block.isEmpty(); block = reader.nextBlock()) {
        for (qsizetype at = 0; at < block.size(); at += CallRecord::Size) {
            pace.tick();
            if (!g_bSearchRunning || !grid)
                break; // Stop: not one record more
            ++number;
            const QByteArrayView bytes = block.sliced(at, CallRecord::Size);
            if (matcher.matches(bytes)) {
                ++counter;
                SetCallRow(*grid, counter, CallRecord::fromBytes(bytes), folder, number, CallGrid::Search);
            }
        }
        if (!g_bSearchRunning || !grid)
            break;
    }
    if (grid)
        grid->SetRedraw(true);
}

void searchTree(QPointer<vbalGrid>& grid, const QString& folder, qint32& counter,
    MainWindowSurfaces& statusBar, const Matcher& matcher)
{
    const QString here = withBackslash(folder);
    searchDay(grid, counter, here, matcher);
    statusBar.SetPanelText(1, countText(counter));
    const QString native = DataPaths::native(here);
    if (!native.isEmpty()) {
        // Real folders only: a symbolic link could lead out of the program
        // folder or round in a circle.
        const QStringList subfolders = realSubfolders(native);
        for (const QString& name : subfolders) {
            EventPace::instance().tick();
            if (!g_bSearchRunning || !grid)
                break;
            searchTree(grid, here + name, counter, statusBar, matcher);
        }
    }
    if (grid)
        grid->SetRedraw(true);
}

Matcher matcherFor(
    const QString& name, const QString& number, const QString& notes, bool flagOnly, bool recordedOnly)
{
    return Matcher{name.toUtf8(), number.toUtf8(), notes.toUtf8(), flagOnly, recordedOnly};
}

} // namespace

qint32 SearchFolderTree(vbalGrid& grid, const QString& folder, qint32& counter, MainWindowSurfaces& statusBar,
    const QString& name, const QString& number, const QString& notes, bool flagOnly, bool recordedOnly)
{
    QPointer<vbalGrid> guarded(&grid);
    EventPace::instance().begin(&statusBar, &counter);
    searchTree(guarded, folder, counter, statusBar, matcherFor(name, number, notes, flagOnly, recordedOnly));
    EventPace::instance().end();
    return counter;
}

void SearchDataFile(vbalGrid& grid, qint32& counter, const QString& folder, const QString& name,
    const QString& number, const QString& notes, bool flagOnly, bool recordedOnly)
{
    QPointer<vbalGrid> guarded(&grid);
    searchDay(
        guarded, counter, withBackslash(folder), matcherFor(name, number, notes, flagOnly, recordedOnly));
}

QString SearchFolderAt(qint32 position, const QDate& today)
{
    switch (position) {
    case 1:
        return DataPaths::dayFolderOf(today);
    case 2:
        return u"\\Data\\Log"_s;
    case 3:
        return u"\\Data\\Saved"_s;
    case 4:
        return u"\\Data\\Recycle"_s;
    default:
        return u"\\Data"_s;
    }
}

std::optional<qint32> StartCallSearch(
    vbalGrid& grid, qint32 position, const SearchCriteria& criteria, MainWindowSurfaces& statusBar)
{
    if (criteria.name.isEmpty() && criteria.number.isEmpty() && criteria.notes.isEmpty())
        return std::nullopt;
    // A Search pressed while one runs (its events run inside the search)
    // would walk the same grid twice.
    if (g_searchActive)
        return std::nullopt;
    g_searchActive = true;
    grid.Clear();
    g_bSearchRunning = true;
    qint32 counter = 0;
    const qint32 found
        = SearchFolderTree(grid, SearchFolderAt(position, Clock::instance().now().date()), counter, statusBar,
            criteria.name, criteria.number, criteria.notes, criteria.flagOnly, criteria.recordedOnly);
    statusBar.SetPanelText(1, countText(found));
    g_searchActive = false;
    return found;
}

void StopCallSearch(vbalGrid& grid)
{
    g_bSearchRunning = false;
    grid.SetRedraw(true);
}

void SetSearchEventInterval(qint64 ms)
{
    g_eventIntervalMs = qMax<qint64>(0, ms);
}
