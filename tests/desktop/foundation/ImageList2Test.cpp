#include "desktop/foundation/ImageList2.h"

#include "desktop/foundation/ThemeIcons.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// Every position shows a picture of the icon theme, found by its
// freedesktop name (the installed Adwaita theme at least has each).
TEST(ImageList2Test, EveryPositionIsAPictureOfTheIconTheme)
{
    const QList<QIcon>& images = vbalImageList2();
    ASSERT_EQ(images.size(), kImageList2Count);
    QSet<QString> names;
    for (int position = 0; position < kImageList2Count; ++position) {
        SCOPED_TRACE(position);
        const QIcon& icon = images[position];
        ASSERT_FALSE(icon.isNull()) << ImageList2Name(position).toStdString();
        EXPECT_EQ(icon.name(), ImageList2Name(position));
        const QPixmap small = icon.pixmap(16, 16);
        ASSERT_FALSE(small.isNull());
        EXPECT_EQ(small.deviceIndependentSize().toSize(), QSize(16, 16));
        names << icon.name();
    }
    EXPECT_EQ(names.size(), kImageList2Count) << "one picture per position";
    EXPECT_EQ(ImageList2Name(-1), QString());
    EXPECT_EQ(ImageList2Name(kImageList2Count), QString());
}

TEST(ImageList2Test, TheInstalledThemeStandsInForAMissingOne)
{
    (void)ThemeIcon(u"call-start"_s);
    EXPECT_EQ(QIcon::fallbackThemeName(), QString::fromLatin1(kFallbackIconTheme));
    EXPECT_TRUE(ThemeIcon(u"no-such-icon-anywhere"_s).isNull());
}
