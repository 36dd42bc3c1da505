#include "common/CallRecord.h"

namespace {

using Field = RecordField<CallRecord>;

constexpr std::array<Field, 12> kLayout{{
    {"EmergencyMark", 0, 1, &CallRecord::EmergencyMark},
    {"FlagMark", 1, 1, &CallRecord::FlagMark},
    {"CallType", 2, 2, &CallRecord::CallType},
    {"CallerName", 4, 32, &CallRecord::CallerName},
    {"CallerNumber", 36, 32, &CallRecord::CallerNumber},
    {"CallDate", 68, 50, &CallRecord::CallDate},
    {"CallTime", 118, 16, &CallRecord::CallTime},
    {"Length", 134, 10, &CallRecord::Length},
    {"LineIndex", 144, 2, &CallRecord::LineIndex},
    {"ReadMark", 146, 1, &CallRecord::ReadMark},
    {"Description", 147, 64, &CallRecord::Description},
    {"Notes", 211, 256, &CallRecord::Notes},
}};
static_assert(FixedRecord::isContiguous(kLayout, CallRecord::Size));

constexpr int kCallerNameWidth = kLayout[3].width;
constexpr int kCallerNumberWidth = kLayout[4].width;
constexpr int kCallDateWidth = kLayout[5].width;
constexpr int kCallTimeWidth = kLayout[6].width;

// What a reader gets back of a value written into a field of this width.
QString asStored(const QString& value, int width)
{
    return FixedRecord::trimBlanks(FixedRecord::readField(FixedRecord::fitField(value, width)));
}

QString safeForFileName(QString text)
{
    for (QChar& c : text) {
        if (c == u'/' || c == u'\\' || c == u':' || c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u'-';
    }
    return text;
}

} // namespace

CallRecord::CallRecord()
{
    FixedRecord::clear(*this, kLayout);
}

const std::array<RecordField<CallRecord>, 12>& CallRecord::layout()
{
    return kLayout;
}

QByteArray CallRecord::toBytes() const
{
    return FixedRecord::encode(*this, kLayout, Size);
}

CallRecord CallRecord::fromBytes(QByteArrayView bytes)
{
    if (bytes.size() != Size)
        return CallRecord(); // never a partial record: every field unset
    return FixedRecord::decode(bytes, kLayout);
}

bool hasRecording(const CallRecord& record)
{
    const QString type = FixedRecord::trimBlanks(record.CallType);
    return type == CallType::VoiceMessage || type == CallType::RecordedIncoming
        || type == CallType::RecordedDialled;
}

QString recordingFileName(
    const QString& callerName, const QString& callerNumber, const QString& callDate, const QString& callTime)
{
    return safeForFileName(asStored(callerName, kCallerNameWidth) + u'_'
               + asStored(callerNumber, kCallerNumberWidth) + u'_' + asStored(callDate, kCallDateWidth) + u'_'
               + asStored(callTime, kCallTimeWidth))
        + QStringLiteral(".wav");
}

bool fitsNumberField(const QString& number)
{
    return asStored(number, kCallerNumberWidth) == FixedRecord::trimBlanks(number);
}

QString recordingFileName(const CallRecord& record)
{
    return recordingFileName(record.CallerName, record.CallerNumber, record.CallDate, record.CallTime);
}
