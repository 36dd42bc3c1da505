#include "common/RegistryRoutines.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

class RegistryRoutinesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegistryRoutines(RegistryRoutines::HKEY_LOCAL_MACHINE, QString(), QString())
            .CreateKey(QStringLiteral("SOFTWARE\\Brask\\Ringvale 1.1\\Properties\\TabGeneral"));
    }
    TestEnvironment env;
    RegistryRoutines reg = RegistryRoutines::forProduct(QStringLiteral("Properties\\TabGeneral"));
};

TEST_F(RegistryRoutinesTest, TextValuesRoundTripExactly)
{
    const QString cases[] = {
        QString(), QStringLiteral("1"), QStringLiteral("a=b;c [section] %41 \\path\\"),
        QStringLiteral("line one\r\nline two\n\ttab"), QStringLiteral("Zoë Ångström 電話 😀"),
        QStringLiteral("  padded  "), QString(1100, u'x'), // longer than the registry's first read buffer
    };
    for (const QString& text : cases) {
        ASSERT_TRUE(reg.SetRegistryValue(QStringLiteral("Value"), text, RegistryRoutines::REG_SZ));
        const QVariant read = reg.GetRegistryValue(QStringLiteral("Value"), QStringLiteral("default"));
        EXPECT_EQ(read.toString(), text) << text.toStdString();
    }
}

TEST_F(RegistryRoutinesTest, MissingReadsAsFallbackAndEmptyIsNotMissing)
{
    EXPECT_FALSE(reg.GetRegistryValue(QStringLiteral("Nothing")).isValid());
    EXPECT_EQ(reg.GetRegistryValue(QStringLiteral("Nothing"), QStringLiteral("d")).toString(), u"d");
    ASSERT_TRUE(reg.setString(QStringLiteral("Empty"), QString()));
    const QVariant empty = reg.GetRegistryValue(QStringLiteral("Empty"), QStringLiteral("d"));
    EXPECT_TRUE(empty.isValid());
    EXPECT_EQ(empty.toString(), QString());

    RegistryRoutines missingKey = RegistryRoutines::forProduct(QStringLiteral("No\\Such"));
    EXPECT_EQ(missingKey.GetRegistryValue(QStringLiteral("x"), 7).toInt(), 7);
}

TEST_F(RegistryRoutinesTest, NamesAreCaseInsensitiveAndKeepTheirCase)
{
    ASSERT_TRUE(reg.setString(QStringLiteral("ChkRunAsProc"), QStringLiteral("1")));
    EXPECT_EQ(reg.getString(QStringLiteral("CHKRUNASPROC")), u"1");
    ASSERT_TRUE(reg.setString(QStringLiteral("chkrunasproc"), QStringLiteral("2")));
    EXPECT_EQ(RegistryRoutines::EnumRegistryValues(RegistryRoutines::HKEY_LOCAL_MACHINE,
                  QStringLiteral("software\\BRASK\\Ringvale 1.1\\properties\\tabgeneral")),
        QStringList{QStringLiteral("ChkRunAsProc")});
    EXPECT_EQ(reg.getString(QStringLiteral("ChkRunAsProc")), u"2");
}

// A write into a key nobody made stores the value: each kind of write, into
// a missing key, a missing key under a missing parent, and an existing one.
TEST_F(RegistryRoutinesTest, WriteIntoAMissingKeyCreatesItAndStoresTheValue)
{
    const struct {
        const char* what;
        std::function<bool(const RegistryRoutines&)> write;
        const char* name;
        const char* expected;
    } writes[] = {
        {"string", [](const RegistryRoutines& r) { return r.setString(u"x"_s, u"y"_s); }, "x", "y"},
        {"number",
            [](const RegistryRoutines& r) {
                return r.SetRegistryValue(u"n"_s, 7, RegistryRoutines::REG_DWORD);
            },
            "n", "7"},
        {"whole key",
            [](const RegistryRoutines& r) {
                return r.ReplaceStringValues({{u"a"_s, u"1"_s}, {u"b"_s, u"2"_s}});
            },
            "b", "2"},
    };
    for (const auto& w : writes) {
        const QString tag = QString::fromLatin1(w.what).remove(u' ');
        const QStringList subkeys
            = {u"Missing"_s + tag, u"Gone"_s + tag + u"\\Deeper\\Still"_s, u"Properties"_s};
        for (const QString& subkey : subkeys) {
            const QString where = QString::fromLatin1(w.what) + u" in "_s + subkey;
            const RegistryRoutines reg = RegistryRoutines::forProduct(subkey);
            if (subkey != u"Properties") {
                ASSERT_FALSE(reg.KeyExists()) << where.toStdString();
            }
            EXPECT_TRUE(w.write(reg)) << where.toStdString();
            EXPECT_TRUE(reg.KeyExists()) << where.toStdString();
            EXPECT_EQ(reg.GetRegistryValue(QString::fromLatin1(w.name)).toString(), QLatin1String(w.expected))
                << where.toStdString();
        }
    }
    // An unknown type still writes nothing and makes no key.
    const RegistryRoutines missing = RegistryRoutines::forProduct(u"Missing"_s);
    EXPECT_FALSE(missing.SetRegistryValue(u"t"_s, u"x"_s, 5));
    EXPECT_FALSE(missing.KeyExists());
}

TEST_F(RegistryRoutinesTest, EmptySubkeyNamesTheKeyRootItself)
{
    RegistryRoutines top = RegistryRoutines::forProduct(QString());
    ASSERT_TRUE(top.setString(QStringLiteral("Top"), QStringLiteral("t")));
    RegistryRoutines same(RegistryRoutines::HKEY_LOCAL_MACHINE, RegistryRoutines::productKey(), QString());
    EXPECT_EQ(same.getString(QStringLiteral("Top")), u"t");
    EXPECT_TRUE(RegistryRoutines::EnumRegistryKeys(
        RegistryRoutines::HKEY_LOCAL_MACHINE, RegistryRoutines::productKey())
                    .contains(QStringLiteral("Properties")));
}

TEST_F(RegistryRoutinesTest, TypesOtherThanTextDecodeByType)
{
    EXPECT_TRUE(reg.SetRegistryValue(QStringLiteral("Dword"), -5, RegistryRoutines::REG_DWORD));
    EXPECT_EQ(reg.GetRegistryValue(QStringLiteral("Dword")).toInt(), -5);
    const QByteArray bytes("\x00\x01\xff", 3);
    EXPECT_TRUE(reg.SetRegistryValue(QStringLiteral("Bin"), bytes, RegistryRoutines::REG_BINARY));
    EXPECT_EQ(reg.GetRegistryValue(QStringLiteral("Bin")).toByteArray(), bytes);
    const QString multi = QStringLiteral("one") + QChar(0) + QStringLiteral("two") + QChar(0);
    EXPECT_TRUE(reg.SetRegistryValue(QStringLiteral("Multi"), multi, RegistryRoutines::REG_MULTI_SZ));
    EXPECT_EQ(reg.GetRegistryValue(QStringLiteral("Multi")).toString(),
        QStringLiteral("one") + QChar(0) + QStringLiteral("two"));
    qputenv("RINGVALE_TEST_VAR", "expanded");
    EXPECT_TRUE(reg.SetRegistryValue(
        QStringLiteral("Exp"), QStringLiteral("<%RINGVALE_TEST_VAR%>"), RegistryRoutines::REG_EXPAND_SZ));
    EXPECT_EQ(reg.getString(QStringLiteral("Exp")), u"<expanded>");
}

TEST_F(RegistryRoutinesTest, UnknownTypeOrBadNumberIsAFailureAndWritesNothing)
{
    EXPECT_FALSE(reg.SetRegistryValue(QStringLiteral("T5"), QStringLiteral("x"), 5));
    EXPECT_FALSE(
        reg.SetRegistryValue(QStringLiteral("D"), QStringLiteral("twelve"), RegistryRoutines::REG_DWORD));
    EXPECT_FALSE(reg.hasValue(QStringLiteral("T5")));
    EXPECT_FALSE(reg.hasValue(QStringLiteral("D")));
}

TEST_F(RegistryRoutinesTest, DeleteValueAndKeyReportAsTheRegistryDoes)
{
    ASSERT_TRUE(reg.setString(QStringLiteral("Gone"), QStringLiteral("soon")));
    EXPECT_EQ(reg.DeleteValue(QStringLiteral("gone")), 0);
    EXPECT_EQ(reg.DeleteValue(QStringLiteral("gone")), 2);

    RegistryRoutines product = RegistryRoutines::forProduct(QString());
    EXPECT_EQ(product.DeleteKey(QStringLiteral("Never\\There")), 0);
    // A key with subkeys stays.
    EXPECT_EQ(
        RegistryRoutines(RegistryRoutines::HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Brask"), QString())
            .DeleteKey(QStringLiteral("Ringvale 1.1")),
        0);
    EXPECT_TRUE(product.KeyExists());
    EXPECT_EQ(product.DeleteKey(QStringLiteral("Properties\\TabGeneral")), 0);
    EXPECT_FALSE(reg.KeyExists());
}

TEST_F(RegistryRoutinesTest, EnumerationOfMissingKeyIsEmptyAndOrderIsStable)
{
    EXPECT_TRUE(
        RegistryRoutines::EnumRegistryValues(RegistryRoutines::HKEY_LOCAL_MACHINE, QStringLiteral("No\\Key"))
            .isEmpty());
    for (const char* name : {"b", "A", "c"})
        ASSERT_TRUE(reg.setString(QString::fromLatin1(name), QStringLiteral("v")));
    const QString path = RegistryRoutines::productKey() + QStringLiteral("\\Properties\\TabGeneral");
    EXPECT_EQ(RegistryRoutines::EnumRegistryValues(RegistryRoutines::HKEY_LOCAL_MACHINE, path),
        (QStringList{QStringLiteral("b"), QStringLiteral("A"), QStringLiteral("c")}));
}

TEST_F(RegistryRoutinesTest, StoreFilesArePrivate)
{
    ASSERT_TRUE(reg.setString(QStringLiteral("Password"), QStringLiteral("secret")));
    const QString file = env.registryFolder() + QStringLiteral("/HKEY_LOCAL_MACHINE.ini");
    EXPECT_EQ(QFile(file).permissions()
            & ~(QFile::ReadUser | QFile::WriteUser | QFile::ReadOwner | QFile::WriteOwner),
        QFileDevice::Permissions());
}

TEST(RegistryRoutines, TrimNullCutsAtTheFirstNul)
{
    struct Case {
        QString in;
        QString out;
    };
    const Case cases[] = {
        {QStringLiteral("plain"), QStringLiteral("plain")},
        {QStringLiteral("ab") + QChar(0) + QStringLiteral("cd"), QStringLiteral("ab")},
        {QString(QChar(0)), QString()},
    };
    for (const Case& c : cases) {
        QString text = c.in;
        EXPECT_EQ(RegistryRoutines::TrimNull(text), c.out);
        EXPECT_EQ(text, c.out);
    }
}

} // namespace
