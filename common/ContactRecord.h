#pragma once

#include "common/FixedRecord.h"

#include <QByteArray>
#include <QString>

#include <array>

// One contact: a record of 1794 bytes in Data/Contactes. Written only by the
// desktop's contact editor; read by the desktop and by the service at every
// caller ID. Members hold the field's whole text, padding included: readers
// compare FixedRecord::trimBlanks(field).
struct ContactRecord {
    static constexpr int Size = 1794;

    QString ContactName; // the contact's unique name
    QString PictureFile; // bare file name in \Pics\, blank for none
    QString CallerName;
    QString CallerNumber; // the lookup key at a caller ID
    QString CallHandling; // "1" normal, "2" blocked
    QString AnswerEnabled; // 6 to 10: read only with handling "4", never written
    QString Reserved7;
    QString GreetingFile;
    QString AnswerRings;
    QString AnswerBeep;
    QString EmergencyMark; // "1": calls are marked as emergencies
    QString EventsMode; // "1" defaults, "2" nothing, "3" fields 13 to 19
    QString ShowLineControl; // never written
    QString ShowCallDetails;
    QString DisplayStyle; // "0" pop-up window, other balloon
    QString PlayCallSound;
    QString SoundFile; // file name in \Sound\, NUL unless EventsMode "3"
    QString SayText;
    QString SpeechText;
    QString ActionsMode; // "1" defaults, "2" no forwarding, "3" fields 21 to 26
    QString ForwardToMail;
    QString MailAction;
    QString MailTo;
    QString ForwardToApp;
    QString AppAction;
    QString AppCommand;
    QString Notes;

    // Every field unset (NUL).
    ContactRecord();

    static const std::array<RecordField<ContactRecord>, 27>& layout();

    QByteArray toBytes() const;
    // A record of Size bytes; anything else gives a record with every field unset.
    static ContactRecord fromBytes(QByteArrayView bytes);
};
