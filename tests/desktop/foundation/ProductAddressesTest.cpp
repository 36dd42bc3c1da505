#include "desktop/foundation/ProductAddresses.h"
#include "tests/support/TestEnvironment.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// The update check names the installation, not the machine or its folder:
// the same at every run of one program folder, another for another folder.
TEST(ProductAddresses, TheInstallationIdentifierIsStablePerProgramFolderAndNamesNothing)
{
    QString first;
    QString again;
    {
        TestEnvironment env;
        first = InstallationIdentifier();
        again = InstallationIdentifier();
        EXPECT_FALSE(first.contains(env.programFolder()));
    }
    QString other;
    {
        TestEnvironment env;
        other = InstallationIdentifier();
    }
    EXPECT_TRUE(QRegularExpression(u"^[0-9a-f]{16}$"_s).match(first).hasMatch()) << first.toStdString();
    EXPECT_EQ(first, again);
    EXPECT_NE(first, other);
    // Nothing in it needs escaping in the update address.
    EXPECT_EQ(PercentEncodedQueryValue(first), first);
}
