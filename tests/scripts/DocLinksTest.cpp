#include "tests/scripts/DocLinks.h"
#include "tests/support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct AnchorCase {
    const char* heading;
    const char* anchor;
};

class HeadingAnchor : public testing::TestWithParam<AnchorCase> { };

TEST_P(HeadingAnchor, IsTheOneTheWebViewMakes)
{
    EXPECT_EQ(
        DocLinks::headingAnchor(QString::fromUtf8(GetParam().heading)), QString::fromUtf8(GetParam().anchor));
}

INSTANTIATE_TEST_SUITE_P(Cases, HeadingAnchor,
    testing::Values(AnchorCase{"Where settings and data live", "where-settings-and-data-live"},
        AnchorCase{"Menu commands, mail queue and Postrun", "menu-commands-mail-queue-and-postrun"},
        AnchorCase{"`make test` runs", "make-test-runs"}, AnchorCase{"C++20 / Qt 6", "c20--qt-6"},
        AnchorCase{"snake_case and hy-phen", "snake_case-and-hy-phen"},
        AnchorCase{"Über die Straße", "über-die-straße"},
        AnchorCase{"See [tools](tools.md) first", "see-tools-first"}));

TEST(HeadingAnchors, RepeatsAreNumberedAndCodeBlocksHoldNoHeadings)
{
    const QString page = u"# Guide\n"
                         "## Forwarding\n"
                         "text\n"
                         "```sh\n"
                         "# a comment in a shell example\n"
                         "```\n"
                         "### Forwarding\n"
                         "  ## Closing hashes ##\n"
                         "#not a heading\n"
                         "## Forwarding\n"_s;
    EXPECT_EQ(DocLinks::headingAnchors(page),
        QStringList(
            {u"guide"_s, u"forwarding"_s, u"forwarding-1"_s, u"closing-hashes"_s, u"forwarding-2"_s}));
}

TEST(LinkTargets, LinksAndImagesOutsideCode)
{
    const QString page
        = u"See [the guide](docs/user-guide.md#alerts) and ![shot](docs/images/a.png \"title\").\n"
          "A [link across\na line](tools.md) and <https://example.com/>.\n"
          "`[not a link](x.md)` and ``[nor](y.md)`` here, nor\n"
          "```text\n"
          "[in a block](z.md)\n"
          "```\n"
          "[ref]: formats.md#settings-file\n"_s;
    EXPECT_EQ(DocLinks::linkTargets(page),
        QStringList({u"docs/user-guide.md#alerts"_s, u"docs/images/a.png"_s, u"tools.md"_s,
            u"formats.md#settings-file"_s}));
}

void write(const QString& path, const QString& text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
}

// Every kind of link that can break, once whole and once broken.
TEST(BrokenLinks, NamesEachLinkThatLeadsNowhereAndWhy)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString root = dir.path();
    write(root + u"/docs/b.md"_s, u"# B\n## Two words\n```sh\n# only a comment\n```\n"_s);
    write(root + u"/docs/images/shot.png"_s, u"png"_s);
    write(root + u"/notes.txt"_s, u"text"_s);
    write(root + u"/README.md"_s,
        u"# Top\n"
        "[ok](docs/b.md) [ok](docs/b.md#two-words) [ok](#top) ![ok](docs/images/shot.png)\n"
        "[web](https://example.com/none.md) [mail](mailto:a@example.com) [dir](docs/)\n"
        "[gone](docs/c.md) [gone](docs/b.md#three-words) [gone](#bottom) [gone](docs/b.md#only-a-comment)\n"
        "![gone](docs/images/missing.png) [gone](notes.txt#l1) [gone]()\n"_s);
    write(root + u"/docs/a.md"_s, u"Back to [the top](../README.md#top), [not](README.md)\n"_s);

    int checked = 0;
    const QStringList broken = DocLinks::brokenLinks(
        {root + u"/README.md"_s, root + u"/docs/a.md"_s, root + u"/docs/none.md"_s}, &checked);
    EXPECT_EQ(broken,
        QStringList({u"README.md: docs/c.md: no such file"_s,
            u"README.md: docs/b.md#three-words: no such heading"_s, u"README.md: #bottom: no such heading"_s,
            u"README.md: docs/b.md#only-a-comment: no such heading"_s,
            u"README.md: docs/images/missing.png: no such file"_s,
            u"README.md: notes.txt#l1: an anchor into what is not a Markdown page"_s,
            u"README.md: : empty link"_s, u"a.md: README.md: no such file"_s, u"none.md: cannot be read"_s}));
    EXPECT_EQ(checked, 14);
}

QStringList documentationPages()
{
    QStringList pages{QStringLiteral(RINGVALE_SOURCE_DIR "/README.md")};
    const QDir docs(QStringLiteral(RINGVALE_SOURCE_DIR "/docs"));
    for (const QString& name : docs.entryList({u"*.md"_s}, QDir::Files, QDir::Name))
        pages << docs.filePath(name);
    return pages;
}

TEST(DocLinks, NoLinkOfTheReadmeOrDocsIsBroken)
{
    const QStringList pages = documentationPages();
    ASSERT_GT(pages.size(), 1) << "no pages in docs/";
    int checked = 0;
    EXPECT_EQ(DocLinks::brokenLinks(pages, &checked), QStringList());
    EXPECT_GE(checked, pages.size());
}

// A page nobody links to is a page nobody finds.
TEST(DocLinks, TheReadmeLinksEveryPageOfDocs)
{
    QFile readme(QStringLiteral(RINGVALE_SOURCE_DIR "/README.md"));
    ASSERT_TRUE(readme.open(QIODevice::ReadOnly));
    QStringList linked;
    for (const QString& target : DocLinks::linkTargets(QString::fromUtf8(readme.readAll())))
        linked << target.section(u'#', 0, 0);
    for (const QString& page : documentationPages().mid(1))
        EXPECT_TRUE(linked.contains(u"docs/"_s + QFileInfo(page).fileName())) << page.toStdString();
}

} // namespace
