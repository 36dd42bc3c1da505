#pragma once

#include "common/ChannelLayout.h"

#include <QString>

#include <optional>

// The numbered channels between the service, the desktop program and Postrun.
namespace ChannelNumber {
inline constexpr qint32 ProcChannel = 305; // desktop to service: process control
inline constexpr qint32 TtsChannel = 306; // desktop to service: speech tests
inline constexpr qint32 EventChannel = 307; // service to desktop: line and call events
inline constexpr qint32 CommandChannel = 308; // desktop to service: line commands
inline constexpr qint32 CallerIdChannel = 309; // service to desktop: caller ID
inline constexpr qint32 IdleChannel = 310; // service to desktop: end of call
inline constexpr qint32 MailChannel = 311; // service to desktop: mails for Postrun
inline constexpr qint32 PostrunChannel = 112; // desktop and Postrun
} // namespace ChannelNumber

// Message names, exactly as they travel (line 0, or the whole text).
namespace MessageName {
// Service to desktop.
inline constexpr QStringView TapiIncomming = u"Tapi_Incomming";
inline constexpr QStringView CommIncomming = u"Comm_Incomming";
inline constexpr QStringView TapiRing = u"Tapi_Ring";
inline constexpr QStringView TapiCid = u"Tapi_CID";
inline constexpr QStringView CommCid = u"Comm_CID";
inline constexpr QStringView TapiDialing = u"Tapi_Dialing";
inline constexpr QStringView TapiConnected = u"Tapi_Connected";
inline constexpr QStringView TapiDisconnected = u"Tapi_Disconnected";
inline constexpr QStringView TapiIdle = u"Tapi_Idle";
inline constexpr QStringView CommIdle = u"Comm_Idle";
inline constexpr QStringView TapiMonitorDigit = u"Tapi_MonitorDigit";
inline constexpr QStringView LineStatus = u"LineStatus";
inline constexpr QStringView Mail = u"MAIL";
inline constexpr QStringView SendMail = u"SendMail";
// Event names the desktop knows but no program of this system sends.
inline constexpr QStringView PlayGreet = u"PlayGreet";
inline constexpr QStringView PlayLegalGreet = u"PlayLegalGreet";
inline constexpr QStringView RecMessage = u"RecMessage";
// Desktop to desktop, on the event channel.
inline constexpr QStringView UnLoadMe = u"UnLoad_Me";
// Process control (305); "UNLOAD" also goes to Postrun (112).
inline constexpr QStringView Unload = u"UNLOAD";
inline constexpr QStringView GetSoundIndex = u"GETSOUNDINDEX";
inline constexpr QStringView OpenWeb = u"OPEN_WEB";
inline constexpr QStringView CloseWeb = u"CLOSE_WEB";
// Speech (306).
inline constexpr QStringView TestTTSSay = u"TestTTSSay";
inline constexpr QStringView Say = u"Say";
inline constexpr QStringView StopSay = u"StopSay";
inline constexpr QStringView MakeWave = u"MakeWave";
// Line commands (308); "OFF" is also recognised on 305.
inline constexpr QStringView On = u"ON";
inline constexpr QStringView Off = u"OFF";
inline constexpr QStringView Auto = u"AUTO";
inline constexpr QStringView Hello = u"HELLO";
inline constexpr QStringView GetTTSProp = u"GetTTSProp";
inline constexpr QStringView CallOut = u"CallOut";
inline constexpr QStringView CallOutRec = u"CallOutRec";
inline constexpr QStringView DropCall = u"DropCall";
inline constexpr QStringView StopProc = u"StopProc";
inline constexpr QStringView RecCall = u"RecCall"; // also an event name on 307
inline constexpr QStringView DropTheCall = u"DropTheCall";
inline constexpr QStringView DoNothing = u"DoNothing";
// Postrun (112).
inline constexpr QStringView PostrunSendMail = u"SENDMAIL";
inline constexpr QStringView DoneSendMail = u"DONE_SEND_MAIL";
} // namespace MessageName

// Builders compose the exact texts; every text field is cleaned so that it
// cannot break the layout (ChannelLayout::lineField / mailField).
namespace ChannelMessages {

// Service events: name, LineIndex, then the fields.
QString event(QStringView name, qint32 lineIndex, const QStringList& fields = {});
// Commands to the service: name, then the fields (no LineIndex).
QString command(QStringView name, const QStringList& fields = {});

QString tapiIncomming(qint32 lineIndex, bool recordCallFlag);
QString commIncomming(qint32 lineIndex, bool recordCallFlag);
QString tapiRing(qint32 lineIndex, qint32 ringCount, bool recordCallFlag);

struct CallerIdFields {
    QString callerName;
    QString callerNumber;
    QString contactName; // blanks at both ends are trimmed
    QString pictureFile; // blanks at both ends are trimmed
    bool showCallDetails = false;
    qint32 displayStyle = 0; // 0 pop-up window, 1 balloon
    bool showLineControl = false;
};
QString tapiCid(qint32 lineIndex, const CallerIdFields& fields);
QString commCid(qint32 lineIndex, const CallerIdFields& fields);

QString tapiDialing(qint32 lineIndex);
QString tapiConnected(qint32 lineIndex);
QString tapiDisconnected(qint32 lineIndex);
// callType: the call's type as the service keeps it, "0" to "4".
QString tapiIdle(qint32 lineIndex, const QString& callType);
QString commIdle(qint32 lineIndex, const QString& callType);
QString lineStatus(qint32 lineIndex, qint32 lineState, bool autoMode);
QString mailProgress(qint32 lineIndex, const QString& progressText);
// The mail requests become mail heads at the far end: recipient and subject
// are made one line there (CR and LF to blanks); the body keeps its CR LF.
// "SendMail" on 311; the attachment is always "NOFILE".
QString sendMail(const QString& mailTo, const QString& subject, const QString& body);

QString testTtsSay(const QString& textToSay, qint32 voiceIndex, qint32 rate);
QString say(const QString& textToSay);
QString makeWave(const QString& textToSay, const QString& waveFile);
QString autoMode(const QString& timeOn, const QString& timeOff);
QString callOut(const QString& dialNumber);
QString callOutRec(const QString& dialNumber);
QString recCall(bool recordCallFlag);

// "SENDMAIL" to Postrun; an empty attachment is sent as "NOFILE".
QString postrunSendMail(
    const QString& mailTo, const QString& subject, const QString& body, const QString& attachment);

// Receiving rules. Each parser answers nothing for a text it does not accept:
// an unknown name, too few lines, or a number or Boolean that does not convert.

// 305: the whole text is compared, so "UNLOAD" CR LF is not "UNLOAD".
enum class ProcCommand { Unload, GetSoundIndex, OpenWeb, CloseWeb, Off };
std::optional<ProcCommand> parseProcCommand(const QString& text);

// 306: line 0 is compared; the fields are read by position, later lines ignored.
struct TtsCommand {
    enum class Kind { TestTTSSay, Say, StopSay, MakeWave };
    Kind kind = Kind::StopSay;
    QString textToSay;
    qint32 voiceIndex = 0;
    qint32 rate = 0;
    QString waveFile;
};
std::optional<TtsCommand> parseTtsCommand(const QString& text);

// 308: as 306.
struct LineCommand {
    enum class Kind {
        On,
        Off,
        Auto,
        RecCall,
        DropTheCall,
        DoNothing,
        StopProc,
        CallOut,
        CallOutRec,
        DropCall,
        Hello,
        GetTTSProp
    };
    Kind kind = Kind::DoNothing;
    QString timeOn;
    QString timeOff;
    QString dialNumber;
    bool recordCallFlag = false;
};
std::optional<LineCommand> parseLineCommand(const QString& text);

// "Tapi_CID" / "Comm_CID" with all nine lines. The display fields stay texts:
// the desktop applies each only when it is not empty and converts.
struct CallerIdEvent {
    bool fromModem = false;
    QString callerName;
    QString callerNumber;
    QString contactName;
    QString pictureFile;
    QString showCallDetails;
    QString displayStyle;
    QString showLineControl;
};
std::optional<CallerIdEvent> parseCallerId(const QString& text);

// "LineStatus" with a number in line 2 and a Boolean in line 3.
struct LineStatusEvent {
    qint32 lineState = 0;
    bool autoMode = false;
};
std::optional<LineStatusEvent> parseLineStatus(const QString& text);

// A mail request: "SendMail" (311) or "SENDMAIL" (112) and at least four more
// fields; fields after the fifth are ignored.
struct MailRequest {
    QString mailTo;
    QString subject;
    QString body;
    QString attachment;
};
std::optional<MailRequest> parseSendMail(const QString& text);
std::optional<MailRequest> parsePostrunSendMail(const QString& text);

// 112: the text up to the first CR LF is exactly "DONE_SEND_MAIL".
bool isDoneSendMail(const QString& text);

} // namespace ChannelMessages
