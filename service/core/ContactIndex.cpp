#include "service/core/ContactIndex.h"

#include "common/ContactFile.h"
#include "common/FixedRecord.h"
#include "common/RecordFile.h"

#include <QFile>
#include <QLoggingCategory>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>

Q_LOGGING_CATEGORY(lcContactIndex, "ringvale.contacts", QtWarningMsg)

namespace {

// Records read per block while building: a few megabytes.
constexpr qint32 kBlockRecords = 2048;

int offsetOf(QString ContactRecord::*member)
{
    for (const RecordField<ContactRecord>& field : ContactRecord::layout()) {
        if (field.member == member)
            return field.offset;
    }
    Q_UNREACHABLE();
}

// A field's text with blanks trimmed, as FixedRecord::trimBlanks(readField())
// gives it: a blank is one byte in UTF-8, so trimming before decoding is the same.
QString trimmedField(const char* record, int offset, int width)
{
    const char* begin = record + offset;
    const char* end = begin + width;
    while (begin < end && *begin == ' ')
        ++begin;
    while (end > begin && end[-1] == ' ')
        --end;
    return QString::fromUtf8(begin, end - begin);
}

} // namespace

ContactIndex& ContactIndex::shared()
{
    static ContactIndex index;
    return index;
}

ContactIndex::~ContactIndex()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_asked.notify_all();
    if (m_builder.joinable())
        m_builder.join();
}

ContactIndex::Identity ContactIndex::identityOf(const QString& path)
{
    Identity identity;
    identity.path = path;
    struct stat info { };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return identity;
    identity.exists = true;
    identity.device = quint64(info.st_dev);
    identity.inode = quint64(info.st_ino);
    identity.size = qint64(info.st_size);
    identity.seconds = qint64(info.st_mtim.tv_sec);
    identity.nanoseconds = qint64(info.st_mtim.tv_nsec);
    return identity;
}

ContactIndex::SnapshotPtr ContactIndex::build(const QString& path)
{
    static const int numberOffset = offsetOf(&ContactRecord::CallerNumber);
    static const int numberWidth
        = FixedRecord::widthOf(ContactRecord::layout(), &ContactRecord::CallerNumber);

    auto snapshot = std::make_shared<Snapshot>();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        // What could not be opened, not what the path names by now: a file
        // made meanwhile must not take this empty index as its own.
        snapshot->identity.path = path;
        return snapshot;
    }
    // What was opened, not what the path names by now: a file replaced
    // meanwhile makes this index stale at once, never a wrong one current.
    struct stat info { };
    if (::fstat(file.handle(), &info) != 0)
        return snapshot;
    Identity& identity = snapshot->identity;
    identity = {path, true, quint64(info.st_dev), quint64(info.st_ino), qint64(info.st_size),
        qint64(info.st_mtim.tv_sec), qint64(info.st_mtim.tv_nsec)};

    const qint32 count = FixedRecord::wholeRecords(identity.size, ContactRecord::Size);
    snapshot->byNumber.reserve(count);
    QByteArray block(qsizetype(std::min(count, kBlockRecords)) * ContactRecord::Size, Qt::Uninitialized);
    for (qint32 n = 0; n < count;) {
        const qint32 records = std::min(count - n, kBlockRecords);
        const qint64 bytes = qint64(records) * ContactRecord::Size;
        if (file.read(block.data(), bytes) != bytes)
            break; // cut by a writer meanwhile: it is stale already
        for (qint32 i = 0; i < records; ++i) {
            const char* record = block.constData() + qsizetype(i) * ContactRecord::Size;
            ++n;
            // Numbers count from 1: a new slot holds 0.
            QString callerNumber = trimmedField(record, numberOffset, numberWidth);
            if (qint32& first = snapshot->byNumber[callerNumber]; first == 0)
                first = n;
            else
                snapshot->laterByNumber.insert(std::move(callerNumber), n);
        }
    }
    return snapshot;
}

void ContactIndex::buildWhenAsked()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_asked.wait(lock, [this] { return m_stopping || m_wanted; });
        if (m_stopping)
            return;
        const QString path = *std::exchange(m_wanted, std::nullopt);
        // Asked while the last build ran, for the file it has just read.
        if (m_current && m_current->identity == identityOf(path))
            continue;
        lock.unlock();
        SnapshotPtr old = build(path);
        lock.lock();
        std::swap(m_current, old);
        lock.unlock();
        // Freeing an index of many contacts takes a while: here, not in a
        // lookup that held it last nor under the lock.
        for (int waited = 0; old.use_count() > 1 && waited < 1000; ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        old.reset();
        lock.lock();
    }
}

ContactIndex::SnapshotPtr ContactIndex::usable(const Identity& now)
{
    const std::lock_guard lock(m_mutex);
    if (m_current && m_current->identity == now)
        return m_current;
    if (!m_wanted) {
        m_wanted = now.path;
        if (m_builder.joinable()) {
            m_asked.notify_one();
        } else {
            try {
                m_builder = std::thread([this] { buildWhenAsked(); });
            } catch (const std::system_error& error) {
                // Lookups go on reading the file through.
                qCWarning(lcContactIndex) << "cannot start building the contact index:" << error.what();
            }
        }
    }
    // An index of another file, or none, says nothing of this one; a small
    // file is read through as fast as the index would answer.
    if (!m_current || m_current->identity.path != now.path || !now.exists || now.size <= ReadThroughBytes)
        return nullptr;
    return m_current;
}

bool ContactIndex::isCurrent()
{
    const Identity now = identityOf(ContactFile::path());
    const std::lock_guard lock(m_mutex);
    return m_current && m_current->identity == now;
}

std::optional<ContactRecord> ContactIndex::recordIf(
    const QString& path, qint32 n, const std::function<bool(const ContactRecord&)>& check)
{
    const std::optional<QByteArray> bytes = RecordFile(path, ContactRecord::Size).read(n);
    if (!bytes)
        return std::nullopt;
    ContactRecord record = ContactRecord::fromBytes(*bytes);
    if (!check(record))
        return std::nullopt;
    return record;
}

qint32 ContactIndex::findByCallerNumber(const QString& number, ContactRecord& found)
{
    const QString path = ContactFile::path();
    if (const SnapshotPtr index = usable(identityOf(path))) {
        const qint32 n = index->byNumber.value(number, -1);
        if (n < 1)
            return -1;
        const auto matches
            = [&](const ContactRecord& c) { return FixedRecord::trimBlanks(c.CallerNumber) == number; };
        if (std::optional<ContactRecord> record = recordIf(path, n, matches)) {
            found = std::move(*record);
            return n;
        }
        // The file changed since the index was built and moved this contact.
    }
    return ContactFile::findByCallerNumber(number, found);
}

QString ContactIndex::contactName(const QString& callerName, const QString& callerNumber)
{
    const QString path = ContactFile::path();
    const auto matches = [&](const ContactRecord& c) {
        return FixedRecord::trimBlanks(c.CallerName) == callerName
            && FixedRecord::trimBlanks(c.CallerNumber) == callerNumber;
    };
    if (const SnapshotPtr index = usable(identityOf(path))) {
        const qint32 first = index->byNumber.value(callerNumber, -1);
        if (first < 1)
            return QString();
        QList<qint32> numbers = index->laterByNumber.values(callerNumber);
        numbers.append(first);
        std::sort(numbers.begin(), numbers.end());
        const auto sameNumber
            = [&](const ContactRecord& c) { return FixedRecord::trimBlanks(c.CallerNumber) == callerNumber; };
        bool changed = false;
        for (const qint32 n : std::as_const(numbers)) {
            const std::optional<ContactRecord> record = recordIf(path, n, sameNumber);
            if (!record) {
                changed = true;
                break;
            }
            if (matches(*record))
                return FixedRecord::trimBlanks(record->ContactName);
        }
        if (!changed)
            return QString();
        // The file changed since the index was built and moved these contacts.
    }
    ContactRecord match;
    const qint32 n = ContactFile::find(matches, match);
    return n > 0 ? FixedRecord::trimBlanks(match.ContactName) : QString();
}
