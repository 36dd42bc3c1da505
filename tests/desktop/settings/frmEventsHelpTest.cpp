#include "tests/desktop/settings/frmEventsFixture.h"

#include "tests/desktop/foundation/RecordedAddresses.h"

#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

const QString kShippedPage = QStringLiteral(RINGVALE_SOURCE_DIR "/data/Help/HelpEng/Pages/Events.htm");

class frmEventsHelpTest : public frmEventsFixture {
protected:
    void installHelpPage()
    {
        ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Help/HelpEng/Pages"_s));
        ASSERT_TRUE(QFile::copy(kShippedPage, env.programFolder() + u"/Help/HelpEng/Pages/Events.htm"_s));
    }

    RecordedAddresses addresses;
};

// Line n of the shipped English translation.
QString english(int entry)
{
    QFile file(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> lines = file.readAll().split('\n');
    return entry <= lines.size() ? QString::fromUtf8(lines.at(entry - 1)).trimmed() : QString();
}

} // namespace

TEST_F(frmEventsHelpTest, HelpOpensTheEventsPageAndKeepsItsLayoutCaption)
{
    ASSERT_NO_FATAL_FAILURE(installHelpPage());
    frmEvents& f = reload();
    ASSERT_NE(f.cmdHelp, nullptr);
    // The translation ("#n") names every other button; Help has no entry.
    EXPECT_EQ(f.cmdHelp->text(), u"Help"_s);
    EXPECT_EQ(f.cmdOK->text(), u"#11"_s);
    EXPECT_FALSE(f.cmdHelp->autoDefault());
    f.show();
    f.cmdHelp->click();
    ASSERT_EQ(addresses.opened.size(), 1);
    EXPECT_TRUE(addresses.opened.first().endsWith(u"/Help/HelpEng/Pages/Events.htm"_s))
        << addresses.opened.first().toStdString();
    // Help neither closes the window nor stores anything.
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(everything().isEmpty()) << everything().join(u", "_s).toStdString();
}

TEST_F(frmEventsHelpTest, MissingPageOpensNothing)
{
    frmEvents& f = reload();
    f.cmdHelp->click();
    EXPECT_TRUE(addresses.opened.isEmpty());
}

TEST(EventsHelpPage, NamesEverySettingOfTheWindow)
{
    QFile page(kShippedPage);
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(page.readAll()).simplified();
    // The captions of the settings as the English translation shows them.
    for (int entry : {273, 274, 275, 276, 281, 282, 283, 285, 287, 288, 289, 290, 291, 292, 293, 294, 321}) {
        const QString caption = english(entry);
        ASSERT_FALSE(caption.isEmpty()) << entry;
        EXPECT_TRUE(text.contains(caption, Qt::CaseInsensitive)) << entry << ": " << caption.toStdString();
    }
    EXPECT_TRUE(text.contains(u"Parameters.htm"_s));
}

TEST_F(frmEventsHelpTest, ScreenshotOfTheWindowWithItsHelpButton)
{
    ResetTranslation();
    QDir().mkpath(env.programFolder() + u"/Trans"_s);
    ASSERT_TRUE(QFile::copy(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt"),
        env.programFolder() + u"/Trans/English.txt"_s));
    ASSERT_EQ(LoadTranslation(env.programFolder() + u"/Trans/English.txt"_s), 0);
    frmEvents& f = reload();
    f.show();
    const QString folder = QStringLiteral(RINGVALE_SCREENSHOT_DIR);
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + u"/events-window.png"_s;
    QFile::remove(path);
    EXPECT_TRUE(f.grab().save(path)) << path.toStdString();
    EXPECT_TRUE(f.cmdHelp->isVisible());
    EXPECT_EQ(f.cmdHelp->text(), u"Help"_s);
}
