#include "common/ChannelMessages.h"

#include "common/FixedRecord.h"

using ChannelLayout::boolText;

namespace ChannelMessages {

namespace {

QString callerId(QStringView name, qint32 lineIndex, const CallerIdFields& f)
{
    return event(name, lineIndex,
        {f.callerName, f.callerNumber, FixedRecord::trimBlanks(f.contactName),
            FixedRecord::trimBlanks(f.pictureFile), boolText(f.showCallDetails),
            QString::number(f.displayStyle), boolText(f.showLineControl)});
}

std::optional<MailRequest> parseMail(QStringView name, const QString& text)
{
    const QStringList pieces = ChannelLayout::splitMailFields(text);
    if (pieces.size() < 5 || pieces.at(0) != name)
        return std::nullopt;
    return MailRequest{pieces.at(1), pieces.at(2), pieces.at(3), pieces.at(4)};
}

} // namespace

QString event(QStringView name, qint32 lineIndex, const QStringList& fields)
{
    return ChannelLayout::joinLines(QStringList{name.toString(), QString::number(lineIndex)} + fields);
}

QString command(QStringView name, const QStringList& fields)
{
    return ChannelLayout::joinLines(QStringList{name.toString()} + fields);
}

QString tapiIncomming(qint32 lineIndex, bool recordCallFlag)
{
    return event(MessageName::TapiIncomming, lineIndex, {boolText(recordCallFlag)});
}

QString commIncomming(qint32 lineIndex, bool recordCallFlag)
{
    return event(MessageName::CommIncomming, lineIndex, {boolText(recordCallFlag)});
}

QString tapiRing(qint32 lineIndex, qint32 ringCount, bool recordCallFlag)
{
    return event(MessageName::TapiRing, lineIndex, {QString::number(ringCount), boolText(recordCallFlag)});
}

QString tapiCid(qint32 lineIndex, const CallerIdFields& fields)
{
    return callerId(MessageName::TapiCid, lineIndex, fields);
}

QString commCid(qint32 lineIndex, const CallerIdFields& fields)
{
    return callerId(MessageName::CommCid, lineIndex, fields);
}

QString tapiDialing(qint32 lineIndex)
{
    return event(MessageName::TapiDialing, lineIndex);
}

QString tapiConnected(qint32 lineIndex)
{
    return event(MessageName::TapiConnected, lineIndex);
}

QString tapiDisconnected(qint32 lineIndex)
{
    return event(MessageName::TapiDisconnected, lineIndex);
}

QString tapiIdle(qint32 lineIndex, const QString& callType)
{
    return event(MessageName::TapiIdle, lineIndex, {callType.trimmed()});
}

QString commIdle(qint32 lineIndex, const QString& callType)
{
    return event(MessageName::CommIdle, lineIndex, {callType.trimmed()});
}

QString lineStatus(qint32 lineIndex, qint32 lineState, bool autoMode)
{
    return event(MessageName::LineStatus, lineIndex, {QString::number(lineState), boolText(autoMode)});
}

QString mailProgress(qint32 lineIndex, const QString& progressText)
{
    return event(MessageName::Mail, lineIndex, {progressText});
}

QString sendMail(const QString& mailTo, const QString& subject, const QString& body)
{
    return ChannelLayout::joinMailFields({MessageName::SendMail.toString(), ChannelLayout::lineField(mailTo),
        ChannelLayout::lineField(subject), body, QStringLiteral("NOFILE")});
}

QString testTtsSay(const QString& textToSay, qint32 voiceIndex, qint32 rate)
{
    return command(MessageName::TestTTSSay, {textToSay, QString::number(voiceIndex), QString::number(rate)});
}

QString say(const QString& textToSay)
{
    return command(MessageName::Say, {textToSay});
}

QString makeWave(const QString& textToSay, const QString& waveFile)
{
    return command(MessageName::MakeWave, {textToSay, waveFile});
}

QString autoMode(const QString& timeOn, const QString& timeOff)
{
    return command(MessageName::Auto, {timeOn, timeOff});
}

QString callOut(const QString& dialNumber)
{
    return command(MessageName::CallOut, {dialNumber});
}

QString callOutRec(const QString& dialNumber)
{
    return command(MessageName::CallOutRec, {dialNumber});
}

QString recCall(bool recordCallFlag)
{
    return command(MessageName::RecCall, {boolText(recordCallFlag)});
}

QString postrunSendMail(
    const QString& mailTo, const QString& subject, const QString& body, const QString& attachment)
{
    const QString file = attachment.isEmpty() ? QStringLiteral("NOFILE") : attachment;
    return ChannelLayout::joinMailFields({MessageName::PostrunSendMail.toString(),
        ChannelLayout::lineField(mailTo), ChannelLayout::lineField(subject), body, file});
}

std::optional<ProcCommand> parseProcCommand(const QString& text)
{
    if (text == MessageName::Unload)
        return ProcCommand::Unload;
    if (text == MessageName::GetSoundIndex)
        return ProcCommand::GetSoundIndex;
    if (text == MessageName::OpenWeb)
        return ProcCommand::OpenWeb;
    if (text == MessageName::CloseWeb)
        return ProcCommand::CloseWeb;
    if (text == MessageName::Off)
        return ProcCommand::Off;
    return std::nullopt;
}

std::optional<TtsCommand> parseTtsCommand(const QString& text)
{
    const LineMessage message(text);
    const QString name = message.name();
    TtsCommand command;
    if (name == MessageName::TestTTSSay) {
        const std::optional<QString> textToSay = message.line(1);
        const std::optional<qint32> voice = message.number(2);
        const std::optional<qint32> rate = message.number(3);
        if (!textToSay || !voice || !rate)
            return std::nullopt;
        command.kind = TtsCommand::Kind::TestTTSSay;
        command.textToSay = *textToSay;
        command.voiceIndex = *voice;
        command.rate = *rate;
    } else if (name == MessageName::Say) {
        const std::optional<QString> textToSay = message.line(1);
        if (!textToSay)
            return std::nullopt;
        command.kind = TtsCommand::Kind::Say;
        command.textToSay = *textToSay;
    } else if (name == MessageName::StopSay) {
        command.kind = TtsCommand::Kind::StopSay;
    } else if (name == MessageName::MakeWave) {
        const std::optional<QString> textToSay = message.line(1);
        const std::optional<QString> waveFile = message.line(2);
        if (!textToSay || !waveFile)
            return std::nullopt;
        command.kind = TtsCommand::Kind::MakeWave;
        command.textToSay = *textToSay;
        command.waveFile = *waveFile;
    } else {
        return std::nullopt;
    }
    return command;
}

std::optional<LineCommand> parseLineCommand(const QString& text)
{
    using Kind = LineCommand::Kind;
    static const struct {
        QStringView name;
        Kind kind;
    } plain[] = {
        {MessageName::On, Kind::On},
        {MessageName::Off, Kind::Off},
        {MessageName::DropTheCall, Kind::DropTheCall},
        {MessageName::DoNothing, Kind::DoNothing},
        {MessageName::StopProc, Kind::StopProc},
        {MessageName::DropCall, Kind::DropCall},
        {MessageName::Hello, Kind::Hello},
        {MessageName::GetTTSProp, Kind::GetTTSProp},
    };
    const LineMessage message(text);
    const QString name = message.name();
    LineCommand command;
    for (const auto& entry : plain) {
        if (name == entry.name) {
            command.kind = entry.kind;
            return command;
        }
    }
    if (name == MessageName::Auto) {
        const std::optional<QString> timeOn = message.line(1);
        const std::optional<QString> timeOff = message.line(2);
        if (!timeOn || !timeOff)
            return std::nullopt;
        command.kind = Kind::Auto;
        command.timeOn = *timeOn;
        command.timeOff = *timeOff;
    } else if (name == MessageName::RecCall) {
        const std::optional<bool> flag = message.boolean(1);
        if (!flag)
            return std::nullopt;
        command.kind = Kind::RecCall;
        command.recordCallFlag = *flag;
    } else if (name == MessageName::CallOut || name == MessageName::CallOutRec) {
        const std::optional<QString> number = message.line(1);
        if (!number)
            return std::nullopt;
        command.kind = name == MessageName::CallOut ? Kind::CallOut : Kind::CallOutRec;
        command.dialNumber = *number;
    } else {
        return std::nullopt;
    }
    return command;
}

std::optional<CallerIdEvent> parseCallerId(const QString& text)
{
    const QStringList lines = ChannelLayout::splitLines(text);
    if (lines.size() < 9)
        return std::nullopt;
    const bool tapi = lines.at(0) == MessageName::TapiCid;
    if (!tapi && lines.at(0) != MessageName::CommCid)
        return std::nullopt;
    return CallerIdEvent{
        !tapi, lines.at(2), lines.at(3), lines.at(4), lines.at(5), lines.at(6), lines.at(7), lines.at(8)};
}

std::optional<LineStatusEvent> parseLineStatus(const QString& text)
{
    const LineMessage message(text);
    if (message.name() != MessageName::LineStatus)
        return std::nullopt;
    const std::optional<qint32> state = message.number(2);
    const std::optional<bool> autoMode = message.boolean(3);
    if (!state || !autoMode)
        return std::nullopt;
    return LineStatusEvent{*state, *autoMode};
}

std::optional<MailRequest> parseSendMail(const QString& text)
{
    return parseMail(MessageName::SendMail, text);
}

std::optional<MailRequest> parsePostrunSendMail(const QString& text)
{
    return parseMail(MessageName::PostrunSendMail, text);
}

bool isDoneSendMail(const QString& text)
{
    return LineMessage(text).name() == MessageName::DoneSendMail;
}

} // namespace ChannelMessages
