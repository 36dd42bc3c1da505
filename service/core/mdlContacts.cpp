#include "service/core/mdlContacts.h"

#include "common/FixedRecord.h"
#include "service/core/ContactIndex.h"

#include <limits>

namespace {

QString field(const QString& text)
{
    return FixedRecord::trimBlanks(text);
}

// A text field as an option: an unset field (NUL bytes) has no text.
QString textField(const QString& text)
{
    const QString trimmed = field(text);
    return trimmed.contains(QChar(0)) ? QString() : trimmed;
}

void takeFlag(const QString& text, bool& member)
{
    if (const std::optional<bool> flag = readFlag(field(text)))
        member = *flag;
}

void takeNumber(const QString& text, qint16& member)
{
    const std::optional<qint64> n = readWholeNumber(field(text));
    if (n && *n >= std::numeric_limits<qint16>::min() && *n <= std::numeric_limits<qint16>::max())
        member = qint16(*n);
}

} // namespace

QString FindContactByNumber(
    const QString& /*callerName*/, const QString& callerNumber, CallOptions& options, ContactRecord& record)
{
    const qint32 n = ContactIndex::shared().findByCallerNumber(callerNumber, record);
    if (n < 1)
        return QStringLiteral("-1");
    ApplyContactCallSettings(options, record);
    return QString::number(n);
}

void ApplyContactCallSettings(CallOptions& options, const ContactRecord& record)
{
    const QString handling = field(record.CallHandling);
    if (handling == u"2") {
        options.BlockCall = true;
    } else if (handling == u"4") {
        takeFlag(record.AnswerEnabled, options.AnswerEnabled);
        options.GreetingFile = textField(record.GreetingFile) + QStringLiteral(".wav");
        takeNumber(record.AnswerRings, options.AnswerRings);
        takeFlag(record.AnswerBeep, options.AnswerBeep);
    }

    const QString events = field(record.EventsMode);
    if (events == u"1") {
        ReadIncomingCallSettings(options);
    } else if (events == u"2") {
        options.ShowCallDetails = false;
        options.ShowLineControl = false;
        options.bPlaySound_IC = false;
        options.SayText = false;
    } else if (events == u"3") {
        takeFlag(record.ShowCallDetails, options.ShowCallDetails);
        takeNumber(record.DisplayStyle, options.DisplayStyle);
        takeFlag(record.ShowLineControl, options.ShowLineControl);
        takeFlag(record.PlayCallSound, options.bPlaySound_IC);
        options.SoundFile = textField(record.SoundFile);
        takeFlag(record.SayText, options.SayText);
        options.SpeechText = textField(record.SpeechText);
    }

    // The one place where a contact's forwarding choice takes effect: "2"
    // means neither mail nor program, so the handlers need not repeat it.
    const QString actions = field(record.ActionsMode);
    if (actions == u"2") {
        options.ForwardToMail = false;
        options.ForwardToApp = false;
    } else if (actions == u"3") {
        takeFlag(record.ForwardToMail, options.ForwardToMail);
        takeNumber(record.MailAction, options.MailAction);
        options.MailTo = textField(record.MailTo);
        takeFlag(record.ForwardToApp, options.ForwardToApp);
        takeNumber(record.AppAction, options.AppAction);
        options.AppCommand = textField(record.AppCommand);
    }
}

QString GetContactName(const QString& callerName, const QString& callerNumber)
{
    return ContactIndex::shared().contactName(callerName, callerNumber);
}
