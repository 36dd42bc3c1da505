#include "common/RegistryRoutines.h"
#include "tests/support/TestEnvironment.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString kGeneral = u"HKLM\\SOFTWARE\\Brask\\Ringvale 1.1\\Properties\\TabGeneral"_s;

} // namespace

// Scripts test the exit status; a person reads standard error. Neither is
// left guessing why nothing came back.
TEST(RingvaleReg, EveryFailureSaysWhatIsMissing)
{
    TestEnvironment env;
    env.installDefaults();
    const struct {
        const char* name;
        QStringList args;
        int exitCode;
        QString out;
        QString err; // what standard error holds; empty: nothing at all
    } rows[] = {
        {"value that is set", {u"get"_s, kGeneral, u"txtlNumOfItemsInLast"_s}, 0, u"30\n"_s, {}},
        {"value that is empty", {u"set"_s, kGeneral, u"Empty"_s, QString()}, 0, {}, {}},
        {"empty reads as empty", {u"get"_s, kGeneral, u"Empty"_s}, 0, u"\n"_s, {}},
        {"missing value", {u"get"_s, kGeneral, u"NoSuchValue"_s}, 1, {},
            u"ringvale-reg: no value NoSuchValue in "_s + kGeneral + u'\n'},
        {"missing key", {u"get"_s, kGeneral + u"\\Nowhere"_s, u"ChkRunAsProc"_s}, 1, {},
            u"ringvale-reg: no key "_s + kGeneral + u"\\Nowhere\n"_s},
        {"delete of a missing value", {u"delete"_s, kGeneral, u"NoSuchValue"_s}, 1, {},
            u"ringvale-reg: cannot delete NoSuchValue in "_s + kGeneral + u" (is it there?)\n"_s},
        {"set into a missing key makes it", {u"set"_s, kGeneral + u"\\Nowhere"_s, u"A"_s, u"1"_s}, 0, {}, {}},
        {"and the value is stored", {u"get"_s, kGeneral + u"\\Nowhere"_s, u"A"_s}, 0, u"1\n"_s, {}},
        {"unknown root", {u"get"_s, u"HKXX\\Foo"_s, u"A"_s}, 2, {}, u"usage: ringvale-reg "_s},
        {"unreadable import", {u"import"_s, env.programFolder() + u"/none.reg"_s}, 2, {},
            u"ringvale-reg: cannot read "_s},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QProcess reg;
        reg.setProcessEnvironment(env.processEnvironment());
        reg.start(TestEnvironment::binary(u"ringvale-reg"_s), row.args);
        ASSERT_TRUE(reg.waitForFinished(10000));
        EXPECT_EQ(reg.exitCode(), row.exitCode);
        EXPECT_EQ(QString::fromUtf8(reg.readAllStandardOutput()), row.out);
        const QString err = QString::fromUtf8(reg.readAllStandardError());
        if (row.err.isEmpty()) {
            EXPECT_TRUE(err.isEmpty()) << err.toStdString();
        } else {
            EXPECT_TRUE(err.startsWith(row.err)) << err.toStdString();
        }
    }
}
