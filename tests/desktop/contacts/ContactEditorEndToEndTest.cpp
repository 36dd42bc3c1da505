#include "desktop/contacts/frmContact.h"
#include "desktop/contacts/mdlContactList.h"
#include "tests/desktop/foundation/ScriptedDialogs.h"
#include "tests/e2e/LiveLine.h"
#include "tests/support/WaitUntil.h"
#include "tests/support/widgets/WidgetShots.h"

#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QString ring(int count)
{
    return u"Tapi_Ring\r\n0\r\n"_s + QString::number(count) + u"\r\nFalse"_s;
}

// Contacts saved through the editor, as a user saves them, then calls into
// the real service.
class ContactEditorEndToEnd : public LiveLine {
protected:
    // Opens the editor for a new contact, lets fill change it, presses OK.
    void saveNewContact(
        const QString& callerName, const QString& callerNumber, std::function<void(frmContact&)> fill)
    {
        bool saved = false;
        WidgetShots::onNextModal([&](QWidget* window) {
            auto* form = qobject_cast<frmContact*>(window);
            ASSERT_NE(form, nullptr);
            fill(*form);
            QTest::mouseClick(form->cmdOK, Qt::LeftButton);
            saved = !form->isVisible();
        });
        NewContact(callerName, callerNumber, QString());
        EXPECT_TRUE(saved);
    }
    void TearDown() override
    {
        UnloadContactEditor();
        LiveLine::TearDown();
    }
    ScriptedDialogs dialogs;
};

TEST_F(ContactEditorEndToEnd, SavedContactsNameTheCallerAndBlockThePest)
{
    QImage face(8, 8, QImage::Format_RGB32);
    face.fill(Qt::red);
    const QString picture = sink.filePath(u"ann.bmp"_s);
    ASSERT_TRUE(face.save(picture, "BMP"));
    dialogs.fileAnswers << ScriptedDialogs::choose(picture);
    saveNewContact(u"ANN LEE"_s, u"5551234"_s, [](frmContact& form) {
        form.txtContactName->setText(u"Ann Lee (work)"_s);
        form.Image1_Click();
    });
    saveNewContact(QString(), u"5550666"_s, [](frmContact& form) {
        form.txtContactName->setText(u"Pest"_s);
        form.chkBlock->setChecked(true);
    });
    EXPECT_TRUE(QFile::exists(env.programFolder() + u"/Pics/ann.bmp"_s));

    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_EQ(line({u"call"_s, u"--number"_s, u"5551234"_s, u"--name"_s, u"ANN LEE"_s, u"--rings"_s, u"2"_s,
                       u"--fast"_s})
                  .exitCode,
        0);
    ASSERT_TRUE(waitForIdles());
    ASSERT_EQ(callerIds.size(), 1);
    const QStringList cid = callerIds[0].split(u"\r\n"_s);
    EXPECT_EQ(cid.value(0), u"Tapi_CID");
    EXPECT_EQ(cid.value(4), u"Ann Lee (work)");
    EXPECT_EQ(cid.value(5), u"ann.bmp");

    // The blocked contact, ring by ring so the answer is the reaction to the third.
    events.clear();
    ASSERT_EQ(line({u"offer"_s, u"--number"_s, u"5550666"_s, u"--name"_s, u"P. Est"_s}).exitCode, 0);
    ASSERT_TRUE(waitForEvent(u"Tapi_Incomming\r\n0\r\nFalse"_s));
    ASSERT_EQ(line({u"ring"_s}).exitCode, 0);
    ASSERT_TRUE(waitForEvent(ring(1)));
    ASSERT_EQ(line({u"cid"_s}).exitCode, 0);
    ASSERT_TRUE(waitUntil([&] { return callerIds.size() == 2; }, 5000));
    EXPECT_EQ(callerIds[1].split(u"\r\n"_s).value(4), u"Pest");
    ASSERT_EQ(line({u"ring"_s}).exitCode, 0);
    ASSERT_TRUE(waitForEvent(ring(2)));
    ASSERT_EQ(line({u"ring"_s}).exitCode, 0);
    ASSERT_TRUE(waitForIdles(2));
    const ToolRun status = line({u"status"_s});
    EXPECT_TRUE(status.out.contains(u"    answer -> 0\n    drop -> 0\n"_s)) << status.out.toStdString();
}

} // namespace
