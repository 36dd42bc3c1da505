#include "tests/desktop/contacts/ContactEditorFixture.h"

#include "common/ContactFile.h"
#include "common/FixedRecord.h"
#include "common/SharedUtilities.h"
#include "desktop/contacts/ContactPictures.h"
#include "desktop/contacts/mdlContactList.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/TabStrip.h"
#include "tests/support/FullDisk.h"
#include "tests/support/widgets/WidgetShots.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

QByteArray nul(int width)
{
    return QByteArray(width, '\0');
}

QByteArray text(const QByteArray& utf8, int width)
{
    return utf8 + QByteArray(width - utf8.size(), ' ');
}

QByteArray fieldBytes(const QByteArray& record, const char* name)
{
    for (const RecordField<ContactRecord>& field : ContactRecord::layout()) {
        if (qstrcmp(field.name, name) == 0)
            return record.mid(field.offset, field.width);
    }
    ADD_FAILURE() << "no field " << name;
    return {};
}

// Records the refreshes the editor asks of the windows it finds loaded.
class RefreshRecorder : public QObject {
    Q_OBJECT
public:
    explicit RefreshRecorder(const QString& name)
    {
        setObjectName(name);
        RegisterLoadedForm(this);
    }
    ~RefreshRecorder() override { UnregisterLoadedForm(this); }
    Q_INVOKABLE void CreateList(qint32 selected) { calls << u"CreateList %1"_s.arg(selected); }
    Q_INVOKABLE void GetContact() { calls << u"GetContact"_s; }
    QStringList calls;
};

class frmContactRecordTest : public ContactEditorFixture {
protected:
    // A new contact typed into a freshly loaded editor.
    frmContact& newContact(const QString& name, const QString& number = QString())
    {
        frmContact& f = load();
        f.NewOrEdit = u"NEW"_s;
        f.txtContactName->setText(name);
        f.txtCallerNumber->setText(number);
        return f;
    }
    // The editor opened on a stored contact as OpenContactForEdit fills it.
    frmContact& edit(const QString& name, qint32 n)
    {
        frmContact& f = load();
        f.NewOrEdit = u"EDIT"_s;
        f.OriginalContact = name;
        f.ContactListIndex = n;
        ContactRecord record;
        EXPECT_EQ(GetContactRecordByName(name, record), n);
        f.LoadContact(record);
        return f;
    }
};

TEST_F(frmContactRecordTest, RecordHoldsEveryFieldAsTheTableSays)
{
    struct Case {
        const char* option; // events option
        QByteArray sound; // field 17
    };
    const Case cases[] = {
        {"ptnEventsAsDefault", nul(64)},
        {"ptnNothingEvents", nul(64)},
        {"ptnSpecificEvents", text("b.wav", 64)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.option);
        QFile::remove(ContactFile::path());
        frmContact& f = newContact(u"Zoë"_s, u"555 1234"_s);
        f.txtCallerName->setText(u"Zoë Lee"_s);
        f.chkBlock->setChecked(true);
        f.chkMrakAsErgancy->setChecked(true);
        f.findChild<QRadioButton*>(QString::fromLatin1(c.option))->setChecked(true);
        f.chkViewCD->setChecked(true);
        f.cmbCallDisplayStyle->setCurrentIndex(1);
        f.chkPlayIn->setChecked(true);
        f.CmbPlayWhen->setCurrentIndex(f.CmbPlayWhen->findText(u"b.wav"_s));
        f.chkSayInCall->setCheckState(Qt::PartiallyChecked);
        // Two-byte characters: 65 and more are cut to 64 whole ones in modes 1
        // and 2; mode 3 refuses what it would cut.
        f.txtTTS->setPlainText(QString(c.sound.startsWith('\0') ? 70 : 64, u'é'));
        f.ptnSpecificActions->setChecked(true);
        f.chkSendToMail->setChecked(true);
        f.txtMailTo->setText(u"ann@example.com"_s);
        f.txtAppTo->setText(u"notify-send <CALLER_NAME>"_s);
        f.TabNotes->setPlainText(u"line 1\nline 2"_s);
        f.cmdOK_Click();
        ASSERT_EQ(messages(), QStringList());

        const QByteArray r
            = RecordFile(ContactFile::path(), ContactRecord::Size).read(1).value_or(QByteArray());
        ASSERT_EQ(r.size(), ContactRecord::Size);
        const QList<std::pair<const char*, QByteArray>> expected = {
            {"ContactName", text("Zo\xc3\xab", 32)},
            {"PictureFile", text("", 64)},
            {"CallerName", text("Zo\xc3\xab Lee", 40)},
            {"CallerNumber", text("555 1234", 40)},
            {"CallHandling", "2"},
            {"AnswerEnabled", nul(1)},
            {"Reserved7", nul(1)},
            {"GreetingFile", nul(64)},
            {"AnswerRings", nul(2)},
            {"AnswerBeep", nul(1)},
            {"EmergencyMark", "1"},
            {"EventsMode",
                QByteArray(c.option == QByteArray("ptnEventsAsDefault") ? "1"
                        : c.option == QByteArray("ptnNothingEvents")    ? "2"
                                                                        : "3")},
            {"ShowLineControl", nul(1)},
            {"ShowCallDetails", "1"},
            {"DisplayStyle", "1"},
            {"PlayCallSound", "1"},
            {"SoundFile", c.sound},
            {"SayText", "2"},
            {"SpeechText", QString(64, u'é').toUtf8()},
            {"ActionsMode", "3"},
            {"ForwardToMail", "1"},
            {"MailAction", "0"},
            {"MailTo", text("ann@example.com", 64)},
            {"ForwardToApp", "0"},
            {"AppAction", "0"},
            {"AppCommand", text("notify-send <CALLER_NAME>", 256)},
            {"Notes", text("line 1\r\nline 2", 1024)},
        };
        ASSERT_EQ(expected.size(), 27);
        for (const auto& [name, bytes] : expected)
            EXPECT_EQ(fieldBytes(r, name), bytes) << name;
        EXPECT_FALSE(f.isVisible());
        EXPECT_EQ(f.txtContactName->text(), QString()) << "saved: reset for the next contact";
    }
}

TEST_F(frmContactRecordTest, OkRefusesInOrderWithMessageTabAndFocus)
{
    writeContactFile({contactAsEditorWrites(u"Anna"_s, u"100"_s),
        contactAsEditorWrites(u"NoNumber"_s, QString()), contactAsEditorWrites(u"Bob"_s, u"200"_s)});
    struct Case {
        const char* why;
        std::function<void(frmContact&)> fill; // on a new contact "Carl", number "300"
        QString message; // empty: accepted
        QString tab;
        const char* focus;
    };
    const auto name = [](const QString& s) { return [s](frmContact& f) { f.txtContactName->setText(s); }; };
    const Case cases[] = {
        {"empty name", name(QString()), u"#850"_s, u"General"_s, "txtContactName"},
        {"blank-only name", name(u"   "_s), QString(), {}, nullptr},
        {"32 bytes", name(QString(32, u'x')), QString(), {}, nullptr},
        {"33 bytes", name(QString(32, u'x') + u'y'), u"#851"_s, u"General"_s, "txtContactName"},
        {"16 two-byte characters", name(QString(16, u'é')), QString(), {}, nullptr},
        {"one byte over in two-byte characters", name(QString(16, u'é') + u'x'), u"#851"_s, u"General"_s,
            "txtContactName"},
        {"caller name 40", [](frmContact& f) { f.txtCallerName->setText(QString(40, u'n')); }, QString(), {},
            nullptr},
        {"caller name 41", [](frmContact& f) { f.txtCallerName->setText(QString(41, u'n')); }, u"#852"_s,
            u"General"_s, "txtCallerName"},
        {"number 40", [](frmContact& f) { f.txtCallerNumber->setText(QString(40, u'9')); }, QString(), {},
            nullptr},
        {"number 41", [](frmContact& f) { f.txtCallerNumber->setText(QString(41, u'9')); }, u"#853"_s,
            u"General"_s, "txtCallerNumber"},
        {"existing name", name(u"Bob"_s), u"#854"_s, u"General"_s, "txtContactName"},
        {"existing name with a leading blank", name(u" Bob"_s), u"#854"_s, u"General"_s, "txtContactName"},
        {"name in other case", name(u"bob"_s), QString(), {}, nullptr},
        {"existing number", [](frmContact& f) { f.txtCallerNumber->setText(u"200 "_s); }, u"#855"_s,
            u"General"_s, "txtCallerNumber"},
        {"empty number asks first", [](frmContact& f) { f.txtCallerNumber->clear(); }, u"#859"_s,
            u"General"_s, "txtCallerNumber"},
        {"blank-only number asks first", [](frmContact& f) { f.txtCallerNumber->setText(u"  "_s); },
            u"#859"_s, u"General"_s, "txtCallerNumber"},
        {"notes 1024 with CR LF",
            [](frmContact& f) { f.TabNotes->setPlainText(QString(1022, u'n') + u'\n'); }, QString(), {},
            nullptr},
        {"notes 1025 with CR LF",
            [](frmContact& f) { f.TabNotes->setPlainText(QString(1023, u'n') + u'\n'); }, u"#857"_s,
            u"Notes"_s, "TabNotes"},
        {"sound name over 64 in mode 3",
            [](frmContact& f) {
                f.ptnSpecificEvents->setChecked(true);
                f.chkPlayIn->setChecked(true);
                f.CmbPlayWhen->addItem(QString(62, u's') + u".wav"_s);
                f.CmbPlayWhen->setCurrentIndex(f.CmbPlayWhen->count() - 1);
            },
            u"#847"_s, u"Events"_s, "CmbPlayWhen"},
        {"speech over 128 in mode 3",
            [](frmContact& f) {
                f.ptnSpecificEvents->setChecked(true);
                f.chkSayInCall->setChecked(true);
                f.txtTTS->setPlainText(QString(129, u't'));
            },
            u"#848"_s, u"Events"_s, "txtTTS"},
        {"speech over 128 in mode 1 is cut",
            [](frmContact& f) { f.txtTTS->setPlainText(QString(129, u't')); }, QString(), {}, nullptr},
        {"mail over 64 in mode 3",
            [](frmContact& f) {
                f.ptnSpecificActions->setChecked(true);
                f.chkSendToMail->setChecked(true);
                f.txtMailTo->setText(QString(60, u'm') + u"@x.org"_s);
            },
            u"#849"_s, u"Actions"_s, "txtMailTo"},
        {"command over 256 in mode 3",
            [](frmContact& f) {
                f.ptnSpecificActions->setChecked(true);
                f.chkApp->setChecked(true);
                f.txtAppTo->setText(QString(257, u'c'));
            },
            u"#858"_s, u"Actions"_s, "txtAppTo"},
        {"command over 256 in mode 2 is cut",
            [](frmContact& f) {
                f.ptnNothingActions->setChecked(true);
                f.txtAppTo->setText(QString(257, u'c'));
            },
            QString(), {}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        writeContactFile({contactAsEditorWrites(u"Anna"_s, u"100"_s),
            contactAsEditorWrites(u"NoNumber"_s, QString()), contactAsEditorWrites(u"Bob"_s, u"200"_s)});
        dialogs.messageRequests.clear();
        frmContact& f = newContact(u"Carl"_s, u"300"_s);
        f.show();
        c.fill(f);
        f.cmdOK_Click();
        if (c.message.isEmpty()) {
            EXPECT_EQ(messages(), QStringList());
            EXPECT_EQ(stored().size(), 4);
            EXPECT_FALSE(f.isVisible());
            continue;
        }
        EXPECT_EQ(messages(), QStringList{c.message});
        EXPECT_EQ(f.TabControl1->SelectedKey(), c.tab);
        ASSERT_NE(f.focusWidget(), nullptr);
        EXPECT_EQ(f.focusWidget()->objectName(), QString::fromLatin1(c.focus));
        EXPECT_TRUE(f.isVisible());
        EXPECT_EQ(stored().size(), 3);
    }
}

TEST_F(frmContactRecordTest, NumberClashNamesTheFirstOwner)
{
    writeContactFile({contactAsEditorWrites(u"Anna"_s, u"100"_s),
        contactAsEditorWrites(u"NoNumber"_s, QString()), contactAsEditorWrites(u"Other"_s, QString())});
    dialogs.messageRequests.clear();
    // Saved without a number only when the user says so at the question.
    dialogs.messageAnswers = {6};
    newContact(u"Carl"_s, QString()).cmdOK_Click();
    EXPECT_EQ(messages(), (QStringList{u"#859"_s, u"#855"_s})) << "the translation's line has no <%S>";
    EXPECT_TRUE(dialogs.messageRequests[0].yesNo);
    // With the placeholder in the text, the first contact without a number is named.
    QFile file(home() + u"/Trans/Test.txt"_s);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray all = file.readAll();
    all.replace("\r\n#855\r\n", "\r\nTaken by <%S>.\r\n");
    file.resize(0);
    file.write(all);
    file.close();
    ASSERT_EQ(LoadTranslation(file.fileName()), 0);
    dialogs.messageRequests.clear();
    dialogs.messageAnswers = {6};
    newContact(u"Carl"_s, QString()).cmdOK_Click();
    EXPECT_EQ(messages(), (QStringList{u"#859"_s, u"Taken by NoNumber."_s}));
}

TEST_F(frmContactRecordTest, EditingKeepsOwnNameAndNumberButNotWithAddedBlanks)
{
    writeContactFile({contactAsEditorWrites(u"Anna"_s, u"100"_s), contactAsEditorWrites(u"Bob"_s, u"200"_s)});
    struct Case {
        const char* why;
        QString name;
        QString number;
        QString message;
    };
    const Case cases[] = {
        {"unchanged", u"Bob"_s, u"200"_s, QString()},
        {"trailing blank on the name", u"Bob "_s, u"200"_s, u"#854"_s},
        {"trailing blank on the number names the contact itself", u"Bob"_s, u"200 "_s, u"#855"_s},
        {"another's name", u"Anna"_s, u"200"_s, u"#854"_s},
        {"a new name and number", u"Robert"_s, u"201"_s, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        writeContactFile(
            {contactAsEditorWrites(u"Anna"_s, u"100"_s), contactAsEditorWrites(u"Bob"_s, u"200"_s)});
        dialogs.messageRequests.clear();
        frmContact& f = edit(u"Bob"_s, 2);
        f.txtContactName->setText(c.name);
        f.txtCallerNumber->setText(c.number);
        f.cmdOK_Click();
        if (c.message.isEmpty()) {
            EXPECT_EQ(messages(), QStringList());
            ASSERT_EQ(stored().size(), 2);
            EXPECT_EQ(FixedRecord::trimBlanks(stored()[1].ContactName), c.name);
            EXPECT_EQ(FixedRecord::trimBlanks(stored()[0].ContactName), u"Anna");
        } else {
            EXPECT_EQ(messages(), QStringList{c.message});
            EXPECT_EQ(FixedRecord::trimBlanks(stored()[1].ContactName), u"Bob");
        }
    }
}

TEST_F(frmContactRecordTest, EditNeverWritesOverAnotherContact)
{
    writeContactFile({contactAsEditorWrites(u"Anna"_s, u"100"_s), contactAsEditorWrites(u"Bob"_s, u"200"_s),
        contactAsEditorWrites(u"Cleo"_s, u"300"_s)});
    frmContact& f = edit(u"Bob"_s, 2);
    f.show();
    f.txtCallerName->setText(u"Robert"_s);
    // Meanwhile the contact list deleted Anna: record 2 is Cleo now.
    ASSERT_TRUE(DeleteContactRecord(1));
    f.cmdOK_Click();
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages().constFirst().startsWith(u"#845"));
    EXPECT_TRUE(f.isVisible()) << "the entries stay for the user";
    ASSERT_EQ(stored().size(), 2);
    EXPECT_EQ(stored()[0].toBytes(), contactAsEditorWrites(u"Bob"_s, u"200"_s).toBytes());
    EXPECT_EQ(stored()[1].toBytes(), contactAsEditorWrites(u"Cleo"_s, u"300"_s).toBytes());
}

TEST_F(frmContactRecordTest, UnwritableContactFileKeepsTheWindowOpen)
{
    // A plain file where the Data folder should be: nothing can be written.
    QFile blocker(home() + u"/Data"_s);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    frmContact& f = newContact(u"Carl"_s, u"300"_s);
    f.show();
    f.cmdOK_Click();
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages().constFirst().startsWith(u"#844: cannot create the folder"_s))
        << messages().constFirst().toStdString();
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.txtContactName->text(), u"Carl");
}

// An edit saved on a full disk: the message says why, the contact file
// stays as it was and the entries stay for the user.
TEST_F(frmContactRecordTest, AnEditSavedOnAFullDiskKeepsTheFileAndSaysWhy)
{
    ASSERT_TRUE(QDir(home()).mkpath(u"Data"_s));
    FullDisk disk(home() + u"/Data"_s, 256 * 1024);
    REQUIRE_FULL_DISK(disk);
    writeContactFile({contactAsEditorWrites(u"Anna"_s, u"100"_s), contactAsEditorWrites(u"Bob"_s, u"200"_s)});
    const auto contactBytes = [] {
        QFile file(ContactFile::path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing");
    };
    const QByteArray before = contactBytes();
    frmContact& f = edit(u"Bob"_s, 2);
    f.show();
    f.txtCallerName->setText(u"Robert"_s);
    ASSERT_TRUE(disk.fill());
    f.cmdOK_Click();
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages().constFirst().startsWith(u"#844: "_s));
    EXPECT_TRUE(messages().constFirst().contains(u"No space left on device"_s))
        << messages().constFirst().toStdString();
    EXPECT_EQ(contactBytes(), before);
    EXPECT_TRUE(f.isVisible());
}

TEST_F(frmContactRecordTest, WhenCallerIdIsSetForOwnReactionsOnly)
{
    for (const char* option : {"ptnEventsAsDefault", "ptnNothingEvents", "ptnSpecificEvents"}) {
        SCOPED_TRACE(option);
        QFile::remove(ContactFile::path());
        RegistryRoutines events = settings(u"Events\\TabInCommingCall"_s);
        ASSERT_TRUE(events.setString(u"chkWhenCallerID"_s, u"0"_s));
        frmContact& f = newContact(u"Carl"_s, u"300"_s);
        f.findChild<QRadioButton*>(QString::fromLatin1(option))->setChecked(true);
        f.cmdOK_Click();
        EXPECT_EQ(events.getString(u"chkWhenCallerID"_s),
            qstrcmp(option, "ptnEventsAsDefault") == 0 ? u"0"_s : u"1"_s);
    }
}

TEST_F(frmContactRecordTest, SavingRefreshesTheLoadedListAndCallDetails)
{
    writeContactFile({contactAsEditorWrites(u"Anna"_s, u"100"_s), contactAsEditorWrites(u"Bob"_s, u"200"_s)});
    newContact(u"Carl"_s, u"300"_s).cmdOK_Click(); // nothing loaded: nothing asked
    RefreshRecorder list(u"frmContactList"_s);
    RefreshRecorder details(u"frmCallDetails"_s);
    newContact(u"Dora"_s, u"400"_s).cmdOK_Click();
    edit(u"Bob"_s, 2).cmdOK_Click();
    EXPECT_EQ(list.calls, (QStringList{u"CreateList 0"_s, u"CreateList 2"_s}));
    EXPECT_EQ(details.calls, (QStringList{u"GetContact"_s, u"GetContact"_s}));
}

TEST_F(frmContactRecordTest, ResetAfterACancelledEditShowsTheStoredDefaults)
{
    RegistryRoutines events = settings(u"Events\\TabInCommingCall"_s);
    ASSERT_TRUE(events.setString(u"chkICViewCD"_s, u"1"_s));
    ASSERT_TRUE(events.setString(u"cmbCallDisplayStyleIncomming"_s, u"1"_s));
    ASSERT_TRUE(events.setString(u"chkPlayInCall"_s, u"1"_s));
    ASSERT_TRUE(events.setString(u"CmbPlayWhenCall"_s, u"b.wav"_s));
    ASSERT_TRUE(events.setString(u"IC_txtTTS"_s, u"Call from <CALLER_NAME>"_s));
    ASSERT_TRUE(settings(u"Forward\\Mail"_s).setString(u"txtMailTo"_s, u"ann@example.com"_s));
    ASSERT_TRUE(settings(u"Forward\\App"_s).setString(u"chkApp"_s, u"1"_s));
    ContactRecord own = contactAsEditorWrites(u"Bob"_s, u"200"_s);
    own.CallHandling = u"2"_s;
    own.EventsMode = u"3"_s;
    own.SoundFile = u"a.wav"_s;
    own.ShowCallDetails = u"0"_s;
    own.SpeechText = u"Bob again"_s;
    own.MailTo = u"bob@example.com"_s;
    own.ForwardToApp = u"0"_s;
    own.Notes = u"secret"_s;
    writeContactFile({own});

    frmContact& f = edit(u"Bob"_s, 1);
    EXPECT_TRUE(f.ptnSpecificEvents->isChecked());
    EXPECT_EQ(f.CmbPlayWhen->currentText(), u"a.wav");
    EXPECT_TRUE(f.chkBlock->isChecked());
    EXPECT_EQ(f.windowTitle(), u"Bob");
    f.show();
    f.cmdCancel_Click();
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(f.txtContactName->text(), QString());
    EXPECT_FALSE(f.chkBlock->isChecked());
    EXPECT_TRUE(f.ptnEventsAsDefault->isChecked());
    EXPECT_EQ(f.chkViewCD->checkState(), Qt::Checked);
    EXPECT_EQ(f.cmbCallDisplayStyle->currentIndex(), 1);
    EXPECT_EQ(f.CmbPlayWhen->currentText(), u"b.wav");
    EXPECT_EQ(f.txtTTS->toPlainText(), u"Call from <CALLER_NAME>");
    EXPECT_EQ(f.txtMailTo->text(), u"ann@example.com");
    EXPECT_EQ(f.chkApp->checkState(), Qt::Checked);
    EXPECT_EQ(f.TabNotes->toPlainText(), QString());
    EXPECT_EQ(f.ContactListIndex, 0);
    EXPECT_EQ(f.TabControl1->SelectedKey(), u"General");
}

TEST_F(frmContactRecordTest, OpeningANameNoRecordBearsSaysSoAndShowsNoEditor)
{
    writeContactFile({contactAsEditorWrites(u"Anna"_s, u"100"_s)});
    bool shown = false;
    QTimer::singleShot(0, [&] {
        if (frmContact* f = LoadedContactEditor(); f && f->isVisible()) {
            shown = true;
            f->cmdCancel_Click();
        }
    });
    OpenContactForEdit(u"Bob"_s, 1, QString(), QString());
    EXPECT_FALSE(shown);
    EXPECT_EQ(messages(), QStringList{u"#846"_s});
    EXPECT_EQ(stored()[0].toBytes(), contactAsEditorWrites(u"Anna"_s, u"100"_s).toBytes());
    UnloadContactEditor();
}

TEST_F(frmContactRecordTest, OpenForEditAndNewShowTheEditorModally)
{
    writeContactFile({contactAsEditorWrites(u"Anna"_s, u"100"_s)});
    QString seen;
    WidgetShots::onNextModal([&](QWidget* w) {
        auto* f = qobject_cast<frmContact*>(w);
        ASSERT_NE(f, nullptr);
        seen = f->txtCallerName->text() + u'|' + f->NewOrEdit;
        f->txtCallerName->setText(u"Ann Lee"_s);
        QTest::mouseClick(f->cmdOK, Qt::LeftButton);
    });
    OpenContactForEdit(u"Anna"_s, 1, u"ignored"_s, u"ignored"_s);
    EXPECT_EQ(seen, u"CALLER Anna|EDIT");
    EXPECT_EQ(FixedRecord::trimBlanks(stored()[0].CallerName), u"Ann Lee");

    WidgetShots::onNextModal([&](QWidget* w) {
        auto* f = qobject_cast<frmContact*>(w);
        ASSERT_NE(f, nullptr);
        seen
            = f->txtCallerName->text() + u'|' + f->txtCallerNumber->text() + u'|' + f->txtContactName->text();
        f->txtContactName->setText(u"Eve"_s);
        QTest::mouseClick(f->cmdOK, Qt::LeftButton);
    });
    NewContact(u"Eve Caller"_s, u"555"_s, QString());
    EXPECT_EQ(seen, u"Eve Caller|555|");
    ASSERT_EQ(stored().size(), 2);
    EXPECT_EQ(FixedRecord::trimBlanks(stored()[1].CallerNumber), u"555");

    g_bExiting = true;
    LoadContactEditor().close();
    EXPECT_TRUE(waitUntil([] { return LoadedContactEditor() == nullptr; }))
        << "unloaded once the program exits";
    g_bExiting = false;
}

class frmContactPictureTest : public frmContactRecordTest {
protected:
    QString picture(const QString& folder, const QString& name, QColor colour)
    {
        QDir().mkpath(folder);
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = folder + u'/' + name;
        EXPECT_TRUE(image.save(path, "BMP"));
        return path;
    }
    QColor storedColour(const QString& name) const
    {
        return QImage(ContactPictures::folder() + name).pixelColor(0, 0);
    }
    void choose(frmContact& f, const QString& path)
    {
        dialogs.fileAnswers << ScriptedDialogs::choose(path);
        f.Image1_Click();
    }
};

TEST_F(frmContactPictureTest, ChosenPictureIsCopiedAndShown)
{
    frmContact& f = newContact(u"Carl"_s, u"300"_s);
    choose(f, picture(home() + u"/elsewhere"_s, u"Carl.BMP"_s, Qt::red));
    ASSERT_EQ(dialogs.fileRequests.size(), 1);
    EXPECT_EQ(dialogs.fileRequests[0].title, u"Add Contact Picture");
    EXPECT_TRUE(dialogs.fileRequests[0].nameFilters.value(0).contains(u"*.bmp"));
    EXPECT_TRUE(dialogs.fileRequests[0].nameFilters.value(0).contains(u"*.BMP"));
    // PNG pictures are offered, and the kind is named once.
    const QString filter = dialogs.fileRequests[0].nameFilters.value(0);
    EXPECT_EQ(dialogs.fileRequests[0].nameFilters.size(), 1);
    EXPECT_TRUE(filter.startsWith(u"Picture Files (*.PNG "_s)) << filter.toStdString();
    EXPECT_TRUE(filter.contains(u" *.png"_s)) << filter.toStdString();
    EXPECT_EQ(filter.count(u'('), 1) << filter.toStdString();
    EXPECT_EQ(f.PicFileName, u"Carl.BMP");
    EXPECT_EQ(storedColour(u"Carl.BMP"_s), QColor(Qt::red));
    EXPECT_FALSE(f.Image1->pixmap().isNull());
    f.cmdOK_Click();
    EXPECT_EQ(FixedRecord::trimBlanks(stored()[0].PictureFile), u"Carl.BMP");

    // Cancelling the dialog changes nothing.
    frmContact& g = edit(u"Carl"_s, 1);
    g.Image1_Click();
    EXPECT_EQ(g.PicFileName, u"Carl.BMP");
}

TEST_F(frmContactPictureTest, StoredPicturesAreNeverOverwritten)
{
    const QString pics = ContactPictures::folder();
    picture(pics, u"face.bmp"_s, Qt::red);
    ContactRecord anna = contactAsEditorWrites(u"Anna"_s, u"100"_s);
    anna.PictureFile = u"face.bmp"_s;
    ContactRecord bob = contactAsEditorWrites(u"Bob"_s, u"200"_s);
    bob.PictureFile = u"bob.bmp"_s;
    picture(pics, u"bob.bmp"_s, Qt::blue);
    writeContactFile({anna, bob});

    // Another contact's file name: stored under a new name.
    frmContact& f = edit(u"Bob"_s, 2);
    choose(f, picture(home() + u"/new"_s, u"face.bmp"_s, Qt::green));
    EXPECT_EQ(f.PicFileName, u"face-1.bmp");
    EXPECT_EQ(storedColour(u"face.bmp"_s), QColor(Qt::red));
    EXPECT_EQ(storedColour(u"face-1.bmp"_s), QColor(Qt::green));

    // The contact's own current name, from another folder: its old picture
    // must survive a cancelled edit.
    choose(f, picture(home() + u"/new"_s, u"bob.bmp"_s, Qt::yellow));
    EXPECT_EQ(f.PicFileName, u"bob-1.bmp");
    f.cmdCancel_Click();
    EXPECT_EQ(storedColour(u"bob.bmp"_s), QColor(Qt::blue));
    EXPECT_EQ(FixedRecord::trimBlanks(stored()[1].PictureFile), u"bob.bmp");

    // The stored file itself is taken as it is.
    frmContact& g = edit(u"Bob"_s, 2);
    choose(g, pics + u"face.bmp"_s);
    EXPECT_EQ(g.PicFileName, u"face.bmp");
    EXPECT_EQ(QDir(pics).entryList(QDir::Files).size(), 4);

    // A name too long for the record is stored under one that fits.
    const QString longName = QString(70, u'é') + u".bmp"_s;
    choose(g, picture(home() + u"/new"_s, longName, Qt::cyan));
    EXPECT_LE(g.PicFileName.toUtf8().size(), 64);
    EXPECT_TRUE(g.PicFileName.endsWith(u"-1.bmp"));
    EXPECT_EQ(storedColour(g.PicFileName), QColor(Qt::cyan));
    const QString fitted = g.PicFileName;
    g.cmdOK_Click();
    EXPECT_EQ(FixedRecord::trimBlanks(stored()[1].PictureFile), fitted);
}

TEST_F(frmContactPictureTest, RemoveBlanksTheFieldAndKeepsTheFile)
{
    ContactRecord anna = contactAsEditorWrites(u"Anna"_s, u"100"_s);
    anna.PictureFile = u"anna.bmp"_s;
    picture(ContactPictures::folder(), u"anna.bmp"_s, Qt::red);
    writeContactFile({anna});
    frmContact& f = edit(u"Anna"_s, 1);
    EXPECT_FALSE(f.Image1->pixmap().isNull());
    f.cmdRemove_Click();
    EXPECT_TRUE(f.Image1->pixmap().isNull());
    f.cmdOK_Click();
    const QByteArray r = stored()[0].toBytes();
    EXPECT_EQ(fieldBytes(r, "PictureFile"), QByteArray(64, ' '));
    EXPECT_TRUE(QFile::exists(ContactPictures::folder() + u"anna.bmp"_s));
}

} // namespace

#include "frmContactRecordTest.moc"
