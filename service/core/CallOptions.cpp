#include "service/core/CallOptions.h"

#include "common/Clock.h"
#include "common/DataPaths.h"
#include "common/DateTimeText.h"
#include "common/RegistryRoutines.h"
#include "common/SharedFile.h"
#include "service/core/Journal.h"

#include <QDir>

#include <limits>

namespace {

const QString kIncomingCall = QStringLiteral("Events\\TabInCommingCall");

// Reads settings of the product key section by section into members. Missing
// values read as False, 0 or an empty text; a value that does not convert
// leaves the member as it was.
class SettingsReader {
public:
    // Conversions that fail are journaled under journalSource when a journal
    // is given.
    explicit SettingsReader(const Journal* journal = nullptr, const QString& journalSource = {})
        : m_journal(journal)
        , m_source(journalSource)
    {
    }

    void section(const QString& subkey) { m_reg.setSubkey(subkey); }

    void flag(const QString& name, bool& member)
    {
        const QVariant value = m_reg.GetRegistryValue(name);
        if (!value.isValid()) {
            member = false;
        } else if (const std::optional<bool> flag = readFlag(value.toString())) {
            member = *flag;
        } else {
            fail(name);
        }
    }

    template<class Int>
    void number(const QString& name, Int& member)
    {
        const QVariant value = m_reg.GetRegistryValue(name);
        if (!value.isValid()) {
            member = 0;
            return;
        }
        const std::optional<qint64> n = readWholeNumber(value.toString());
        if (n && *n >= std::numeric_limits<Int>::min() && *n <= std::numeric_limits<Int>::max())
            member = Int(*n);
        else
            fail(name);
    }

    void text(const QString& name, QString& member) { member = m_reg.getString(name); }

    QString rawText(const QString& name) const { return m_reg.getString(name); }

private:
    void fail(const QString& name)
    {
        if (m_journal)
            m_journal->WriteSysJournal(
                QStringLiteral("Type mismatch (") + name + u')', kTypeMismatchError, m_source);
    }

    RegistryRoutines m_reg = RegistryRoutines::forProduct(QString());
    const Journal* m_journal;
    QString m_source;
};

void readIncomingCallSettingsWith(SettingsReader& reader, CallOptions& options)
{
    reader.section(kIncomingCall);
    reader.flag(QStringLiteral("chkViewLineControl_IC"), options.ShowLineControl);
    reader.number(QStringLiteral("cmbCallDisplayStyleIncomming"), options.DisplayStyle);
    reader.flag(QStringLiteral("chkICViewCD"), options.ShowCallDetails);
    reader.flag(QStringLiteral("chkPlayInCall"), options.bPlaySound_IC);
    reader.text(QStringLiteral("CmbPlayWhenCall"), options.SoundFile);
    reader.flag(QStringLiteral("chkSayInCommingCall"), options.SayText);
    reader.text(QStringLiteral("IC_txtTTS"), options.SpeechText);
}

} // namespace

std::optional<qint64> readWholeNumber(const QString& text)
{
    const QString trimmed = text.trimmed();
    qsizetype i = 0;
    if (i < trimmed.size() && (trimmed.at(i) == u'+' || trimmed.at(i) == u'-'))
        ++i;
    if (i == trimmed.size())
        return std::nullopt;
    for (; i < trimmed.size(); ++i) {
        if (trimmed.at(i) < u'0' || trimmed.at(i) > u'9')
            return std::nullopt;
    }
    bool ok = false;
    const qint64 n = trimmed.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return n;
}

std::optional<bool> readFlag(const QString& text)
{
    const std::optional<qint64> n = readWholeNumber(text);
    if (!n)
        return std::nullopt;
    return *n != 0;
}

void ReadIncomingCallSettings(CallOptions& options)
{
    SettingsReader reader;
    readIncomingCallSettingsWith(reader, options);
}

void SetDefaultCallOption(const Journal& journal, CurrentCall& call, const QString& description)
{
    call.bRejectCall = false;
    call.RecordCallFlag = false;
    call.bRecordDialledCall = false;
    call.Description = description;
    call.options = CallOptions();
    call.settings = CallSettings();

    CallOptions& options = call.options;
    CallSettings& settings = call.settings;
    SettingsReader reader(&journal, QStringLiteral("ErrSetDefaultCallOption"));

    reader.section(QString());
    reader.flag(QStringLiteral("bRun"), settings.bRun);
    reader.section(QStringLiteral("Properties\\TabGeneral"));
    reader.flag(QStringLiteral("chkDoEventsWhenGUI"), settings.bDoEventsWhenGUI);
    reader.section(kIncomingCall);
    reader.flag(QStringLiteral("chkWhenCallerID"), settings.bActOnCallerId);
    readIncomingCallSettingsWith(reader, options);

    reader.section(QStringLiteral("Forward\\Mail"));
    reader.flag(QStringLiteral("chkSendToMail"), options.ForwardToMail);
    reader.number(QStringLiteral("cmbActMail"), options.MailAction);
    reader.text(QStringLiteral("txtMailTo"), options.MailTo);

    reader.section(QStringLiteral("MailForward\\Details"));
    reader.text(QStringLiteral("txtFromMail"), settings.FromMail);
    reader.text(QStringLiteral("txtSubject"), settings.MailSubject);
    reader.text(QStringLiteral("txtMessage"), settings.MailMessage);

    reader.section(QStringLiteral("MailForward\\SMTP"));
    reader.text(QStringLiteral("txtSMTP"), settings.SmtpServer);
    reader.text(QStringLiteral("txtSMTPUserName"), settings.SmtpUserName);
    reader.text(QStringLiteral("txtSMTPPass"), settings.SmtpPassword);
    settings.bMapi = reader.rawText(QStringLiteral("MAPI")) == u"1";

    reader.section(QStringLiteral("Forward\\App"));
    reader.flag(QStringLiteral("chkApp"), options.ForwardToApp);
    reader.number(QStringLiteral("cmbActApp"), options.AppAction);
    reader.text(QStringLiteral("txtAppTo"), options.AppCommand);
    reader.flag(QStringLiteral("chkBGAPP"), settings.bAppInBackground);

    reader.section(QStringLiteral("Properties\\TabGeneral"));
    reader.number(QStringLiteral("txtlNumOfItemsInLast"), settings.ItemsInLast);
    // 0, a negative number or no number would cut Data/Last to one line at
    // the next call: the settings window's default stands instead.
    if (settings.ItemsInLast < 1)
        settings.ItemsInLast = kDefaultItemsInLast;
}

void SetCallInfo(const Journal& journal, CurrentCall& call, const QDateTime& now)
{
    const QString dayFolder = DataPaths::dayFolderOf(now.date());
    const QString nativeFolder = DataPaths::native(dayFolder);
    if (nativeFolder.isEmpty() || !SharedFile::makeFolder(nativeFolder))
        journal.WriteSysJournal(QStringLiteral("Cannot create the day folder ") + dayFolder, -1,
            QStringLiteral("ErrSetCallInfo"));

    CallInfo& info = call.info;
    info = CallInfo();
    info.CallerName = QStringLiteral("UNKNOWN");
    info.CallerNumber = QStringLiteral("UNKNOWN");
    info.CallDate = DateTimeText::formatDate(now.date());
    info.CallTime = DateTimeText::formatTime(now.time());
    info.ContactName = QString();
    info.Length = QStringLiteral("0:00:00");
    info.MessagePath = QString();
    info.CallType = QStringLiteral("0");
    call.EmergencyMark = 0;
    call.DayFolder = dayFolder;
}

void SetCallInfo(const Journal& journal, CurrentCall& call)
{
    SetCallInfo(journal, call, Clock::instance().now());
}
