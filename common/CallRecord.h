#pragma once

#include "common/FixedRecord.h"

#include <QByteArray>
#include <QString>

#include <array>

// One call: a record of 467 bytes in its day's file Data. The service appends
// it at the end of the call; the desktop rewrites the read mark, the flag and
// the note. Members hold the field's whole text, padding included: readers
// compare FixedRecord::trimBlanks(field).
struct CallRecord {
    static constexpr int Size = 467;

    QString EmergencyMark; // "1": the caller's contact marks emergencies
    QString FlagMark; // "1": flagged by the user
    QString CallType; // a CallType code
    QString CallerName;
    QString CallerNumber;
    QString CallDate; // "MM/dd/yyyy"; a record is valid only when this reads as a date
    QString CallTime; // "HH:mm:ss"
    QString Length; // always "0:00:00" from the service
    QString LineIndex;
    QString ReadMark; // "1": read
    QString Description;
    QString Notes;

    // Every field unset (NUL).
    CallRecord();

    static const std::array<RecordField<CallRecord>, 12>& layout();

    QByteArray toBytes() const;
    // A record of Size bytes; anything else gives a record with every field unset.
    static CallRecord fromBytes(QByteArrayView bytes);
};

// Call type codes (field CallType).
namespace CallType {
inline constexpr char16_t Incoming[] = u"0";
inline constexpr char16_t Dialled[] = u"1";
inline constexpr char16_t VoiceMessage[] = u"2";
inline constexpr char16_t RecordedIncoming[] = u"3";
inline constexpr char16_t RecordedDialled[] = u"4";
} // namespace CallType

// Types "2", "3" and "4" have a wave file in the call's day folder.
bool hasRecording(const CallRecord& record);

// The wave file name of a recorded call: name "_" number "_" date "_" time
// ".wav", with "/" and ":" turned into "-". Name and number are taken as the
// record stores them (cut to their fields, blanks trimmed), so the recorder,
// which passes the live call's values, and every reader, which passes the
// record's, always arrive at the same name; characters that would leave the
// day folder or break a file name become "-" too.
QString recordingFileName(
    const QString& callerName, const QString& callerNumber, const QString& callDate, const QString& callTime);
QString recordingFileName(const CallRecord& record);

// Whether a record's number field holds the number whole (its bytes fit).
bool fitsNumberField(const QString& number);
