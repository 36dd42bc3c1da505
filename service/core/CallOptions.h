#pragma once

#include "common/CallInfo.h"

#include <QDateTime>
#include <QString>

#include <optional>

class Journal;

// The journal number of a conversion that fails (a flag or number setting or
// field that holds no number).
inline constexpr qint32 kTypeMismatchError = 13;
// Lines of Data/Last when txtlNumOfItemsInLast is no whole number of at least
// 1, as the settings window stores when its box is left empty.
inline constexpr qint32 kDefaultItemsInLast = 30;

// The line engine's reactions to the call in progress: read from the settings
// at every incoming call (SetDefaultCallOption) and overridden by the caller's
// contact (ApplyContactCallSettings, mdlContacts.h).
struct CallOptions {
    bool BlockCall = false; // reject the call
    bool ShowCallDetails = false; // chkICViewCD
    qint16 DisplayStyle = 0; // cmbCallDisplayStyleIncomming: 0 pop-up window, other balloon
    bool bPlaySound_IC = false; // chkPlayInCall
    QString SoundFile; // CmbPlayWhenCall, a file name in the sound folder
    bool SayText = false; // chkSayInCommingCall
    QString SpeechText; // IC_txtTTS, a message template
    bool ShowLineControl = false; // chkViewLineControl_IC
    bool ForwardToMail = false; // Forward\Mail chkSendToMail
    qint16 MailAction = 0; // cmbActMail: 0 every call, 1 type "2" only, 2 type "3" only
    QString MailTo; // txtMailTo
    bool ForwardToApp = false; // Forward\App chkApp
    qint16 AppAction = 0; // cmbActApp, codes as MailAction
    QString AppCommand; // txtAppTo, a command-line template

    // Answering: filled only by a contact with handling "4", which the editor
    // never writes; nothing acts on them.
    bool AnswerEnabled = false;
    QString GreetingFile;
    qint16 AnswerRings = 0;
    bool AnswerBeep = false;
};

// Settings read together with the call options.
struct CallSettings {
    bool bRun = false; // bRun: the desktop program is running
    bool bDoEventsWhenGUI = false; // alert on the PC only while the desktop runs
    bool bActOnCallerId = false; // chkWhenCallerID: alert at the caller ID, not at the offer
    QString FromMail; // MailForward\Details
    QString MailSubject;
    QString MailMessage;
    QString SmtpServer; // MailForward\SMTP
    QString SmtpUserName;
    QString SmtpPassword;
    bool bMapi = false; // only the exact text "1" selects MAPI
    bool bAppInBackground = false; // Forward\App chkBGAPP
    qint32 ItemsInLast = 0; // txtlNumOfItemsInLast; missing, no number or below 1: 30
};

// What the line engine keeps of one call: its options, the settings read with
// them, the call's information and the per-call state that every offer clears.
struct CurrentCall {
    CallOptions options;
    CallSettings settings;
    CallInfo info;
    QString Description; // the text table's item 1 (item 13 for dialled calls)
    qint16 EmergencyMark = 0;
    QString DayFolder; // stored form, "\Data\Log\yyyy\MM\dd\"
    bool bRejectCall = false;
    bool RecordCallFlag = false;
    bool bRecordDialledCall = false;
};

// Clears the per-call state and the options, then reads every setting of the
// options anew. A value that is not a number writes a system-journal line
// (source "ErrSetDefaultCallOption") and leaves its member cleared. The line
// engine also stops its per-call timers and reloads its speech settings.
void SetDefaultCallOption(const Journal& journal, CurrentCall& call, const QString& description);

// A fresh call: "UNKNOWN" caller, the date and time of now (the process's
// clock), and its day folder, which is created when missing.
void SetCallInfo(const Journal& journal, CurrentCall& call, const QDateTime& now);
void SetCallInfo(const Journal& journal, CurrentCall& call);

// The seven incoming-call settings (display, style, line control, sound, sound
// file, speech, speech text) read into options; a value that is not a number
// leaves its member as it was.
void ReadIncomingCallSettings(CallOptions& options);

// A setting or field read as a flag: "0" False, any other whole number True;
// nullopt for anything that is not a whole number.
std::optional<bool> readFlag(const QString& text);
std::optional<qint64> readWholeNumber(const QString& text);
