#include "desktop/settings/frmTranser.h"
#include "common/RegistryRoutines.h"
#include "desktop/foundation/Translation.h"
#include "desktop/settings/frmTrans.h"
#include "desktop/settings/frmTransFile.h"
#include "tests/desktop/foundation/ScriptedDialogs.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/widgets/WidgetShots.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// 1000 CR LF lines, line n from the map, empty elsewhere.
QByteArray translation(const std::map<int, QString>& lines)
{
    QByteArray bytes;
    for (int n = 1; n <= 1000; ++n) {
        const auto it = lines.find(n);
        bytes += (it == lines.end() ? QString() : it->second).toUtf8() + "\r\n";
    }
    return bytes;
}

QList<QByteArray> linesOf(const QByteArray& bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    lines.removeLast(); // after the last line break
    return lines;
}

class frmTranserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.installDefaults();
        trans = env.programFolder() + u"/Trans/"_s;
        QDir(trans).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(trans + u"sub"_s)); // a folder: not listed
        std::map<int, QString> basic{{11, u"''General"_s}, {12, u"Hello"_s}, {13, u"World"_s}, {15, u"RTL"_s},
            {16, u"Last"_s}, {10, u"LTR"_s}, {1, u"0"_s}};
        for (int n = 2; n <= 9; ++n)
            basic[n] = u"header %1"_s.arg(n);
        write(u"Basic.txt"_s, translation(basic));
        write(u"alpha.txt"_s,
            translation({{1, u"1"_s}, {5, u"kept"_s}, {10, u"LTR"_s}, {11, u"''Allgemein"_s},
                {12, u"Hallo"_s}, {13, u"Welt"_s}, {16, u"Ende"_s}, {900, u"far"_s}}));
        write(u".hidden"_s, translation({{1, u"1"_s}}));
        ASSERT_TRUE(RegistryRoutines::forProduct(u"Language"_s).setString(u"Select"_s, u"Basic.txt"_s));
    }
    void TearDown() override { ResetTranslation(); }

    void write(const QString& name, const QByteArray& bytes)
    {
        QFile file(trans + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray read(const QString& name) const
    {
        QFile file(trans + name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QStringList folder() const
    {
        return QDir(trans).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    static QStringList items(const QComboBox* list)
    {
        QStringList names;
        for (int i = 0; i < list->count(); ++i)
            names << list->itemText(i);
        return names;
    }
    static QStringList row(const frmTranser& f, int number)
    {
        QStringList cells;
        for (int column = 0; column < 4; ++column) {
            const QTableWidgetItem* item = f.vbalGrid1->item(number - 1, column);
            cells << (item ? item->text() : QString());
        }
        return cells;
    }
    QStringList messages() const
    {
        QStringList texts;
        for (const MessageBoxRequest& request : dialogs.messageRequests)
            texts << request.text;
        return texts;
    }

    TestEnvironment env;
    ScriptedDialogs dialogs;
    QString trans;
};

TEST_F(frmTranserTest, ListsAndRowsFromTheTwoTranslations)
{
    frmTranser f;
    EXPECT_EQ(items(f.cmbSource), QStringList({u"alpha.txt"_s, u"Basic.txt"_s}));
    EXPECT_EQ(items(f.cmbTrans), items(f.cmbSource));
    EXPECT_EQ(f.cmbSource->currentText(), u"Basic.txt"); // the translation in use
    EXPECT_EQ(f.cmbTrans->currentText(), u"alpha.txt"); // the folder's first

    ASSERT_EQ(f.vbalGrid1->rowCount(), 5);
    const QStringList blank(4);
    EXPECT_EQ(row(f, 1), blank); // the heading on line 11
    EXPECT_EQ(row(f, 2), QStringList({u"12"_s, u"''General"_s, u"Hello"_s, u"Hallo"_s}));
    EXPECT_EQ(row(f, 3), QStringList({u"13"_s, u"''General"_s, u"World"_s, u"Welt"_s}));
    EXPECT_EQ(row(f, 4), blank); // "RTL" past line 10, after the empty line 14
    EXPECT_EQ(row(f, 5), QStringList({u"16"_s, u"''General"_s, u"Last"_s, u"Ende"_s}));
    EXPECT_EQ(g_sTransEdit().entry(900), u"far");
    EXPECT_EQ(g_sTransEdit().entry(5), u"kept");
    EXPECT_FALSE(frmTranser::IsRTL(u"alpha.txt"_s));
    EXPECT_TRUE(frmTranser::TransEditable(u"alpha.txt"_s));
    EXPECT_FALSE(frmTranser::TransEditable(u"Basic.txt"_s));
    f.show();
    EXPECT_TRUE(WidgetShots::save(&f, u"translator.png"_s));
}

TEST_F(frmTranserTest, BasicTranslationsAreNeitherRenamedNorDeleted)
{
    frmTranser f;
    f.cmbTrans->setCurrentText(u"Basic.txt"_s);
    const QByteArray before = read(u"Basic.txt"_s);
    f.cmdEdit_Click();
    f.cmdDelete_Click();
    EXPECT_EQ(messages(),
        QStringList({u"Can't edit/delete basic translations"_s, u"Can't edit/delete basic translations"_s}));
    EXPECT_EQ(read(u"Basic.txt"_s), before);
}

TEST_F(frmTranserTest, DeleteRemovesAUserTranslationAtOnce)
{
    frmTranser f;
    f.cmdDelete_Click();
    EXPECT_FALSE(QFile::exists(trans + u"alpha.txt"_s));
    EXPECT_EQ(items(f.cmbTrans), QStringList({u"Basic.txt"_s}));
    EXPECT_EQ(f.cmbSource->currentText(), u"Basic.txt");
    EXPECT_EQ(f.vbalGrid1->rowCount(), 5); // until Load
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(frmTranserTest, AnEntryEditChangesExactlyItsLine)
{
    frmTranser f;
    const QList<QByteArray> before = linesOf(read(u"alpha.txt"_s));
    frmTrans entry(&f);
    entry.lblCode->setText(u"13"_s);
    entry.txtTrn->setPlainText(u"Welt neu"_s);
    entry.lSelectedRowNum = 3;
    entry.cmdOK_Click();
    EXPECT_EQ(entry.result(), QDialog::Accepted);
    QList<QByteArray> expected = before;
    expected[12] = "Welt neu\r";
    EXPECT_EQ(linesOf(read(u"alpha.txt"_s)), expected);
    EXPECT_EQ(row(f, 3).last(), u"Welt neu");
    EXPECT_EQ(f.vbalGrid1->selectedRanges().first().topRow(), 2);
}

// The buffer holds alpha's lines: saved as Basic they would replace it.
TEST_F(frmTranserTest, AnEntryIsNotSavedIntoATargetThatWasNotLoaded)
{
    frmTranser f;
    const QByteArray basic = read(u"Basic.txt"_s);
    const QByteArray alpha = read(u"alpha.txt"_s);
    f.cmbTrans->setCurrentText(u"Basic.txt"_s);
    frmTrans entry(&f);
    entry.lblCode->setText(u"12"_s);
    entry.txtTrn->setPlainText(u"x"_s);
    entry.cmdOK_Click();
    EXPECT_EQ(entry.result(), 0);
    EXPECT_EQ(messages().size(), 1);
    EXPECT_EQ(read(u"Basic.txt"_s), basic);
    EXPECT_EQ(read(u"alpha.txt"_s), alpha);

    // After Delete the list names the first file.
    f.cmbTrans->setCurrentText(u"alpha.txt"_s);
    f.cmdLoad_Click();
    f.cmdDelete_Click();
    frmTrans after(&f);
    after.lblCode->setText(u"12"_s);
    after.txtTrn->setPlainText(u"y"_s);
    after.cmdOK_Click();
    EXPECT_EQ(after.result(), 0);
    EXPECT_EQ(read(u"Basic.txt"_s), basic);
}

TEST_F(frmTranserTest, NewWritesAnEmptyUserTranslation)
{
    frmTranser f;
    frmTransFile name(&f);
    name.sNewOrEdit = u"NEW"_s;
    name.txtTransFileName->setText(u"Hebrew"_s);
    name.chkRTL->setChecked(true);
    name.cmdOK_Click();
    EXPECT_EQ(name.result(), QDialog::Accepted);
    const QByteArray bytes = read(u"Hebrew"_s);
    EXPECT_EQ(bytes.size(), 2004);
    const QList<QByteArray> lines = linesOf(bytes);
    ASSERT_EQ(lines.size(), 1000);
    EXPECT_EQ(lines.at(0), "1\r");
    EXPECT_EQ(lines.at(9), "RTL\r");
    EXPECT_EQ(f.cmbTrans->currentText(), u"Hebrew");
    EXPECT_EQ(f.cmbSource->currentText(), u"alpha.txt");
    EXPECT_TRUE(frmTranser::IsRTL(u"Hebrew"_s));
}

TEST_F(frmTranserTest, NamesThatAreTakenOrNotPlainAreRefused)
{
    struct Row {
        QString mode, name;
        bool taken;
    };
    const Row rows[] = {
        {u"NEW"_s, u"ALPHA.TXT"_s, true},
        {u"NEW"_s, QString(), true},
        {u"EDIT"_s, u"basic.TXT"_s, true},
        {u"EDIT"_s, QString(), true},
        {u"NEW"_s, u"../escape"_s, false},
        {u"NEW"_s, u"a/b"_s, false},
        {u"NEW"_s, u".."_s, false},
        {u"EDIT"_s, u".quiet"_s, false},
        {u"NEW"_s, u"nul"_s + QChar(0) + u"x"_s, false},
    };
    frmTranser f;
    const QStringList before = folder();
    const QByteArray alpha = read(u"alpha.txt"_s);
    for (const Row& row : rows) {
        dialogs.messageRequests.clear();
        frmTransFile name(&f);
        name.sNewOrEdit = row.mode;
        name.sOriginalTransName = u"alpha.txt"_s;
        name.txtTransFileName->setText(row.name);
        name.cmdOK_Click();
        EXPECT_EQ(name.result(), 0) << row.name.toStdString();
        ASSERT_EQ(messages().size(), 1) << row.name.toStdString();
        EXPECT_EQ(messages().first() == u"Translation name already exist", row.taken)
            << row.name.toStdString();
    }
    EXPECT_EQ(folder(), before);
    EXPECT_EQ(read(u"alpha.txt"_s), alpha);
    EXPECT_FALSE(QFile::exists(env.programFolder() + u"/escape"_s));
}

TEST_F(frmTranserTest, RenameKeepsEveryLineButTheDirection)
{
    frmTranser f;
    const QList<QByteArray> before = linesOf(read(u"alpha.txt"_s));
    frmTransFile name(&f);
    name.sNewOrEdit = u"EDIT"_s;
    name.sOriginalTransName = u"alpha.txt"_s;
    name.txtTransFileName->setText(u"beta.txt"_s);
    name.chkRTL->setChecked(true);
    name.cmdOK_Click();
    EXPECT_EQ(name.result(), QDialog::Accepted);
    EXPECT_FALSE(QFile::exists(trans + u"alpha.txt"_s));
    QList<QByteArray> expected = before;
    expected[9] = "RTL\r";
    EXPECT_EQ(linesOf(read(u"beta.txt"_s)), expected);
    EXPECT_EQ(f.cmbTrans->currentText(), u"beta.txt");

    // To its own name: only the direction flips back.
    frmTransFile same(&f);
    same.sNewOrEdit = u"EDIT"_s;
    same.sOriginalTransName = u"beta.txt"_s;
    same.txtTransFileName->setText(u"beta.txt"_s);
    same.chkRTL->setChecked(false);
    same.cmdOK_Click();
    EXPECT_EQ(linesOf(read(u"beta.txt"_s)), before);
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(frmTranserTest, AFileThatCannotBeWrittenKeepsTheDialogOpen)
{
    frmTranser f;
    const QString tooLong(300, u'x'); // longer than a file name may be
    for (const QString& mode : {u"NEW"_s, u"EDIT"_s}) {
        dialogs.messageRequests.clear();
        frmTransFile name(&f);
        name.sNewOrEdit = mode;
        name.sOriginalTransName = u"alpha.txt"_s;
        name.txtTransFileName->setText(tooLong);
        name.cmdOK_Click();
        EXPECT_EQ(name.result(), 0) << mode.toStdString();
        EXPECT_EQ(messages().size(), 1) << mode.toStdString();
    }
    EXPECT_TRUE(QFile::exists(trans + u"alpha.txt"_s));
    EXPECT_EQ(items(f.cmbTrans), QStringList({u"alpha.txt"_s, u"Basic.txt"_s}));
}

} // namespace
