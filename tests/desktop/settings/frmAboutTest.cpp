#include "desktop/settings/frmAbout.h"
#include "desktop/contacts/ClickLabel.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/Translation.h"
#include "tests/desktop/foundation/RecordedAddresses.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/widgets/WidgetShots.h"

#include <QDir>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class frmAboutTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        g_sInstallationId.clear();
        ResetTranslation();
    }
    TestEnvironment env;
    RecordedAddresses addresses;
};

TEST_F(frmAboutTest, FiveLinksOpenTheirAddressesExactly)
{
    struct Row {
        QString id;
        QString mail;
        QString update;
    };
    const Row rows[] = {
        {u"4F2A-77"_s, u"mailto:support@example.com?subject=Support from Ringvale  4F2A-77"_s,
            u"https://www.example.com/caller-id/newversion/CheckForNewVer.asp?Comment=4F2A-77&CurVer=1.1.0.2"_s},
        {QString(), u"mailto:support@example.com?subject=Support from Ringvale  "_s,
            u"https://www.example.com/caller-id/newversion/CheckForNewVer.asp?Comment=&CurVer=1.1.0.2"_s},
        // A value that would end or split the query is encoded.
        {u"a b&CurVer=9"_s, u"mailto:support@example.com?subject=Support from Ringvale  a b&CurVer=9"_s,
            u"https://www.example.com/caller-id/newversion/CheckForNewVer.asp?Comment=a%20b%26CurVer%3D9&CurVer=1.1.0.2"_s},
    };
    for (const Row& row : rows) {
        g_sInstallationId = row.id;
        frmAbout f{QIcon()};
        addresses.opened.clear();
        for (ClickLabel* link : {f.lblURL, f.lblNotice, f.lblProduct, f.lblMailSupport,
                 f.lblCheckForNewVersion, f.lblCheckForNewVersion})
            QTest::mouseClick(link, Qt::LeftButton);
        EXPECT_EQ(addresses.opened,
            QStringList({u"https://www.example.com/"_s, u"https://www.example.com/"_s,
                u"https://www.example.com/caller-id/"_s, row.mail, row.update, row.update}))
            << row.id.toStdString();
        EXPECT_EQ(f.result(), 0); // the links leave the box open
    }
}

TEST_F(frmAboutTest, ShowsTheVersionAndTheGivenIconInFixedEnglishLeftToRight)
{
    // A right-to-left translation changes nothing here.
    QDir().mkpath(env.programFolder() + u"/Trans"_s);
    QFile file(env.programFolder() + u"/Trans/Test.txt"_s);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    for (int n = 1; n <= 1000; ++n)
        file.write((n == 10 ? u"RTL"_s : u"#%1"_s.arg(n)).toUtf8() + "\r\n");
    file.close();
    ASSERT_EQ(LoadTranslation(file.fileName()), 0);
    QApplication::setLayoutDirection(Qt::RightToLeft);

    QPixmap picture(16, 16);
    picture.fill(Qt::red);
    frmAbout f{QIcon(picture)};
    QApplication::setLayoutDirection(Qt::LeftToRight);
    EXPECT_EQ(f.lblVersionVal->text(), u"1.1.0.2");
    EXPECT_EQ(f.windowTitle(), u"About");
    EXPECT_EQ(f.layoutDirection(), Qt::LeftToRight);
    EXPECT_EQ(f.windowIcon().pixmap(16).toImage().pixel(8, 8), QColor(Qt::red).rgb());
    EXPECT_EQ(f.lblProduct->text(), u"Ringvale Home Page");
    f.show();
    EXPECT_TRUE(WidgetShots::save(&f, u"about.png"_s));
    f.cmdOK->click();
    EXPECT_EQ(f.result(), QDialog::Accepted);
}

} // namespace
