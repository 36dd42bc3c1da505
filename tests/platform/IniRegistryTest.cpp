#include "platform/IniRegistry.h"
#include "tests/support/FileOpens.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr qint32 HKLM = qint32(0x80000002);

TEST(IniRegistry, FileTextRoundTripsEveryKindOfValue)
{
    IniRegistry::Tree tree = IniRegistry::parse(QByteArray());
    const QByteArray text = "[Key\\With %]\n"
                            "Name%3Dx=sz:a%0D%0Ab%25\n"
                            "Num=dword:4294967295\n"
                            "Raw=hex(3):00ff\n"
                            "NoNul=hex(1):6869\n";
    tree = IniRegistry::parse(text);
    const IniRegistry::Key& key = tree[QStringLiteral("key\\with %")];
    ASSERT_EQ(key.values.size(), 4);
    EXPECT_EQ(key.values[0].name, u"Name=x");
    EXPECT_EQ(key.values[0].value.data, QByteArray("a\r\nb%\0", 6));
    EXPECT_EQ(
        IniRegistry::parse(IniRegistry::serialize(tree, HKLM))[QStringLiteral("key\\with %")].values.size(),
        4);
    EXPECT_EQ(IniRegistry::serialize(IniRegistry::parse(IniRegistry::serialize(tree, HKLM)), HKLM),
        IniRegistry::serialize(tree, HKLM));
}

TEST(IniRegistry, DamagedLinesAreSkippedNotTheFile)
{
    const QByteArray text = "[A]\ngarbage line\nGood=sz:yes\nBad=dword:notanumber\r\n[B]\r\nX=sz:1\r\n";
    IniRegistry::Tree tree = IniRegistry::parse(text);
    ASSERT_EQ(tree[QStringLiteral("a")].values.size(), 1);
    EXPECT_EQ(tree[QStringLiteral("a")].values[0].name, u"Good");
    EXPECT_EQ(tree[QStringLiteral("b")].values.size(), 1);
}

TEST(IniRegistry, KeysImplyTheirParentsAndSubkeysListInNameOrder)
{
    QTemporaryDir dir;
    IniRegistry store(dir.path());
    ASSERT_TRUE(store.createKey(HKLM, QStringLiteral("A\\zeta")));
    ASSERT_TRUE(store.createKey(HKLM, QStringLiteral("A\\Beta\\Deep")));
    ASSERT_TRUE(store.createKey(HKLM, QStringLiteral("A B")));
    EXPECT_TRUE(store.keyExists(HKLM, QStringLiteral("a\\beta")));
    EXPECT_EQ(store.subkeys(HKLM, QStringLiteral("a")).value(),
        (QStringList{QStringLiteral("Beta"), QStringLiteral("zeta")}));
    EXPECT_FALSE(store.subkeys(HKLM, QStringLiteral("nope")).has_value());
    // "A B" sorts between "A" and "A\..."; the child check must not be fooled by it.
    EXPECT_FALSE(store.deleteKey(HKLM, QStringLiteral("A")));
}

TEST(IniRegistry, ReplacingValuesLeavesExactlyTheNewListInItsOrder)
{
    QTemporaryDir dir;
    IniRegistry store(dir.path());
    const auto text = [](const char* data) { return RegistryBackend::Value{1, QByteArray(data) + '\0'}; };
    EXPECT_EQ(store.replaceValues(HKLM, QStringLiteral("Voices"), {{QStringLiteral("a"), text("")}}),
        RegistryBackend::NotFound);
    EXPECT_FALSE(store.keyExists(HKLM, QStringLiteral("Voices")));

    ASSERT_TRUE(store.createKey(HKLM, QStringLiteral("Voices\\Sub")));
    ASSERT_EQ(store.setValue(HKLM, QStringLiteral("Voices"), QStringLiteral("Zulu"), text("")), 0);
    ASSERT_EQ(store.setValue(HKLM, QStringLiteral("Voices"), QStringLiteral("Gone"), text("")), 0);
    ASSERT_EQ(store.replaceValues(HKLM, QStringLiteral("voices"),
                  {{QStringLiteral("Afrikaans"), text("1")}, {QStringLiteral("Zulu"), text("2")},
                      {QStringLiteral("afrikaans"), text("3")}}),
        0);
    EXPECT_EQ(store.valueNames(HKLM, QStringLiteral("Voices")).value(),
        (QStringList{QStringLiteral("Afrikaans"), QStringLiteral("Zulu")}));
    RegistryBackend::Value value;
    ASSERT_EQ(store.queryValue(HKLM, QStringLiteral("Voices"), QStringLiteral("Afrikaans"), value), 0);
    EXPECT_EQ(value.data, QByteArray("3", 2));
    // Subkeys are not values: they stay.
    EXPECT_TRUE(store.keyExists(HKLM, QStringLiteral("Voices\\Sub")));

    ASSERT_EQ(store.replaceValues(HKLM, QStringLiteral("Voices"), {}), 0);
    EXPECT_TRUE(store.valueNames(HKLM, QStringLiteral("Voices")).value().isEmpty());
}

} // namespace

namespace {

RegistryBackend::Value sz(const QString& text)
{
    return RegistryBackend::Value{1, text.toUtf8() + '\0'};
}

QString textOf(IniRegistry& store, const QString& name)
{
    RegistryBackend::Value value;
    if (store.queryValue(HKLM, QStringLiteral("Soft\\Line"), name, value) != RegistryBackend::Success)
        return QStringLiteral("<none>");
    return QString::fromUtf8(value.data.chopped(1));
}

TEST(IniRegistry, ReadsOfAnUnchangedFileOpenItOnceAndSeeTheNextWriteAtOnce)
{
    QTemporaryDir dir;
    IniRegistry store(dir.path());
    IniRegistry otherProgram(dir.path());
    ASSERT_TRUE(store.createKey(HKLM, QStringLiteral("Soft\\Line")));
    for (int i = 0; i < 24; ++i)
        ASSERT_EQ(store.setValue(HKLM, QStringLiteral("Soft\\Line"), QStringLiteral("v%1").arg(i),
                      sz(QStringLiteral("%1").arg(i))),
            RegistryBackend::Success);
    ASSERT_TRUE(ageFile(store.fileFor(HKLM)));
    FileOpens opens(dir.path(), QFileInfo(store.fileFor(HKLM)).fileName().toUtf8());
    ASSERT_TRUE(opens.isWatching());

    // A call's worth of reads.
    for (int i = 0; i < 24; ++i)
        EXPECT_EQ(textOf(store, QStringLiteral("v%1").arg(i)), QStringLiteral("%1").arg(i));
    EXPECT_TRUE(store.keyExists(HKLM, QStringLiteral("soft\\line")));
    EXPECT_EQ(store.valueNames(HKLM, QStringLiteral("Soft\\Line")).value().size(), 24);
    EXPECT_LE(opens.take(), 1);
    for (int i = 0; i < 24; ++i)
        EXPECT_EQ(textOf(store, QStringLiteral("v%1").arg(i)), QStringLiteral("%1").arg(i));
    EXPECT_EQ(opens.take(), 0) << "an unchanged file was read again";

    // Another program's writes of the same size, however close together,
    // are each seen at the next read.
    for (int round = 0; round < 50; ++round) {
        const QString text = QStringLiteral("%1").arg(round % 10);
        ASSERT_EQ(otherProgram.setValue(HKLM, QStringLiteral("Soft\\Line"), QStringLiteral("v0"), sz(text)),
            RegistryBackend::Success);
        ASSERT_EQ(textOf(store, QStringLiteral("v0")), text) << round;
    }
    // Once settled, the file is kept again.
    ASSERT_TRUE(ageFile(store.fileFor(HKLM)));
    opens.take();
    EXPECT_EQ(textOf(store, QStringLiteral("v0")), QStringLiteral("9"));
    EXPECT_EQ(textOf(store, QStringLiteral("v1")), QStringLiteral("1"));
    EXPECT_LE(opens.take(), 1);
}

} // namespace
