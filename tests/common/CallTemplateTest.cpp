#include "common/CallTemplate.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// An incoming call from Ann Lee on 12/10/2026 at 21:30:05, no contact.
CallInfo annLee()
{
    CallInfo call;
    call.CallerName = QStringLiteral("Ann Lee");
    call.CallerNumber = QStringLiteral("5551234");
    call.CallDate = QStringLiteral("12/10/2026");
    call.CallTime = QStringLiteral("21:30:05");
    call.Length = QStringLiteral("0:00:00");
    call.CallType = QStringLiteral("0");
    return call;
}

struct Case {
    const char* name;
    const char16_t* text;
    std::function<void(CallInfo&)> change;
    const char16_t* service; // FillCallTemplate
    const char16_t* desktop; // the desktop's rule
};

void keep(CallInfo&)
{
}

TEST(CallTemplate, FillsEachPlaceholderByTheServiceAndTheDesktopRule)
{
    const Case cases[] = {
        {"default mail subject", u"<CALL_TYPE> from <CALLER_NAME> - <CALLER_NUMBER>", keep,
            u"In Coming Call from Ann Lee - 5 5 5 1 2 3 4 ", u"In Coming Call from Ann Lee - 5551234"},
        {"UNKNOWN stays", u"<CALLER_NUMBER>", [](CallInfo& c) { c.CallerNumber = QStringLiteral("UNKNOWN"); },
            u"UNKNOWN", u"UNKNOWN"},
        {"unknown is spelled out", u"<CALLER_NUMBER>",
            [](CallInfo& c) { c.CallerNumber = QStringLiteral("unknown"); }, u"u n k n o w n ", u"unknown"},
        {"empty number", u"[<CALLER_NUMBER>]", [](CallInfo& c) { c.CallerNumber.clear(); }, u"[]", u"[]"},
        {"three occurrences", u"<CALLER_NAME>, <CALLER_NAME> and <CALLER_NAME>.", keep,
            u"Ann Lee, Ann Lee and Ann Lee.", u"Ann Lee, Ann Lee and Ann Lee."},
        {"small letters are no placeholder", u"<caller_name> <Caller_Name>", keep,
            u"<caller_name> <Caller_Name>", u"<caller_name> <Caller_Name>"},
        {"MARK mid-text", u"Hello<MARK> world", keep, u"Hello world", u"Hello<MARK> world"},
        {"every menu key", u"a<PLAY><PREV><EXIT><NEXT><FIRST><DELETE><MARK>b<PLAY>c", keep, u"abc",
            u"a<PLAY><PREV><EXIT><NEXT><FIRST><DELETE><MARK>b<PLAY>c"},
        {"NUM_CALLS is no placeholder", u"<NUM_CALLS> <NUM_MSG> <NUM_NEW_MSG> <NUM_NEW_CALLS>", keep,
            u"<NUM_CALLS> <NUM_MSG> <NUM_NEW_MSG> <NUM_NEW_CALLS>",
            u"<NUM_CALLS> <NUM_MSG> <NUM_NEW_MSG> <NUM_NEW_CALLS>"},
        {"contact named <CONTACT>", u"<CONTACT>!",
            [](CallInfo& c) { c.ContactName = QStringLiteral("<CONTACT>"); }, u"<CONTACT>!", u"<CONTACT>!"},
        {"name inserted by its own pass stays", u"<CALLER_NAME>",
            [](CallInfo& c) { c.CallerName = QStringLiteral("<CALLER_NAME><CALLER_NAME>"); },
            u"<CALLER_NAME><CALLER_NAME>", u"<CALLER_NAME><CALLER_NAME>"},
        // The value completes a placeholder with the text before it; the
        // search has moved past that point.
        {"value completing a placeholder", u"<CALL<CALLER_NAME>",
            [](CallInfo& c) { c.CallerName = QStringLiteral("ER_NAME>"); }, u"<CALLER_NAME>",
            u"<CALLER_NAME>"},
        // A filled value is never read again.
        {"name holding placeholders", u"<CALLER_NAME>",
            [](CallInfo& c) { c.CallerName = QStringLiteral("At <TIME> on <DATE> by <CALLER_NUMBER>"); },
            u"At <TIME> on <DATE> by <CALLER_NUMBER>", u"At <TIME> on <DATE> by <CALLER_NUMBER>"},
        {"date and time", u"<DATE> at <TIME>", keep, u"Thursday, December 10, 2026 at 09:30 PM",
            u"Thursday, December 10, 2026 at 09:30 PM"},
        {"no date or time as it stands", u"<DATE> at <TIME>",
            [](CallInfo& c) {
                c.CallDate = QStringLiteral("02/30/2026");
                c.CallTime = QStringLiteral("9:30 PM");
            },
            u"02/30/2026 at 9:30 PM", u"02/30/2026 at 9:30 PM"},
        {"type 0", u"<CALL_TYPE>, <MESSAGEORCALL>", keep, u"In Coming Call, call", u"In Coming Call, call"},
        {"type 1", u"<CALL_TYPE>, <MESSAGEORCALL>", [](CallInfo& c) { c.CallType = QStringLiteral("1"); },
            u"Out Going Call, call", u"Out Going Call, call"},
        {"type 2", u"<CALL_TYPE>, <MESSAGEORCALL>", [](CallInfo& c) { c.CallType = QStringLiteral("2"); },
            u"Voice Message, voice message", u"Voice Message, voice message"},
        {"type 3", u"<CALL_TYPE>, <MESSAGEORCALL>", [](CallInfo& c) { c.CallType = QStringLiteral("3"); },
            u"In Coming Recorded Call, voice message", u"In Coming Recorded Call, voice message"},
        {"type 4", u"<CALL_TYPE>, <MESSAGEORCALL>", [](CallInfo& c) { c.CallType = QStringLiteral("4"); },
            u"Out Going Recorded Call, voice message", u"Out Going Recorded Call, voice message"},
        {"type 9 leaves the placeholder", u"<CALL_TYPE> <CALL_TYPE>, <MESSAGEORCALL>",
            [](CallInfo& c) { c.CallType = QStringLiteral("9"); }, u"<CALL_TYPE> <CALL_TYPE>, call",
            u"<CALL_TYPE> <CALL_TYPE>, call"},
        // The service compares the record's code, the desktop reads a number.
        {"type 02", u"<CALL_TYPE>, <MESSAGEORCALL>", [](CallInfo& c) { c.CallType = QStringLiteral("02"); },
            u"<CALL_TYPE>, call", u"Voice Message, voice message"},
        {"ReadMark 0", u"<READ>", keep, u"unread", u"unread"},
        {"ReadMark 1", u"<READ>", [](CallInfo& c) { c.ReadMark = 1; }, u"read", u"read"},
        {"ReadMark 7", u"<READ>", [](CallInfo& c) { c.ReadMark = 7; }, u"unread", u"unread"},
        {"length and recording", u"<LENGTH> <MESSAGE_PATH>",
            [](CallInfo& c) { c.MessagePath = QStringLiteral("Ann Lee_5551234.wav"); },
            u"0:00:00 Ann Lee_5551234.wav", u"0:00:00 Ann Lee_5551234.wav"},
        {"no placeholder", u"Someone is calling", keep, u"Someone is calling", u"Someone is calling"},
        {"empty template", u"", keep, u"", u""},
        {"not closed", u"<CALLER_NAME", keep, u"<CALLER_NAME", u"<CALLER_NAME"},
    };
    for (const Case& c : cases) {
        CallInfo call = annLee();
        c.change(call);
        const QString text = QString::fromUtf16(c.text);
        EXPECT_EQ(FillCallTemplate(text, call), QString::fromUtf16(c.service)) << c.name;
        EXPECT_EQ(FillCallTemplate(text, call, TemplateRule::Desktop), QString::fromUtf16(c.desktop))
            << c.name;
    }
}

// Each placeholder as the value of each field stays as it is, in the texts
// of each filler: mail and program (the service's, plain), speech (the
// service's, escaped) and the desktop's speech test.
TEST(CallTemplate, FilledValueHoldingAPlaceholderStaysAsItIs)
{
    const QStringList placeholders
        = {u"<CALLER_NUMBER>"_s, u"<CALLER_NAME>"_s, u"<MESSAGE_PATH>"_s, u"<DATE>"_s, u"<TIME>"_s,
            u"<CONTACT>"_s, u"<CALL_TYPE>"_s, u"<LENGTH>"_s, u"<READ>"_s, u"<MESSAGEORCALL>"_s, u"<PLAY>"_s,
            u"<PREV>"_s, u"<EXIT>"_s, u"<NEXT>"_s, u"<FIRST>"_s, u"<DELETE>"_s, u"<MARK>"_s};
    const struct {
        const char* texts;
        TemplateRule rule;
        TemplateValues values;
    } fillers[] = {{"mail and program", TemplateRule::Service, TemplateValues::Plain},
        {"speech", TemplateRule::Service, TemplateValues::MarkupEscaped},
        {"desktop", TemplateRule::Desktop, TemplateValues::Plain}};
    const struct {
        const char* field;
        const char16_t* placeholder;
        void (*set)(CallInfo&, const QString&);
    } fields[] = {
        {"name", u"<CALLER_NAME>", [](CallInfo& c, const QString& v) { c.CallerName = v; }},
        {"contact", u"<CONTACT>", [](CallInfo& c, const QString& v) { c.ContactName = v; }},
        {"recording", u"<MESSAGE_PATH>", [](CallInfo& c, const QString& v) { c.MessagePath = v; }},
        {"length", u"<LENGTH>", [](CallInfo& c, const QString& v) { c.Length = v; }},
    };
    for (const auto& filler : fillers) {
        for (const auto& field : fields) {
            for (const QString& inside : placeholders) {
                CallInfo call = annLee();
                const QString value = u"x"_s + inside + u"y"_s;
                field.set(call, value);
                const QString expected
                    = filler.values == TemplateValues::MarkupEscaped ? EscapeSpeechMarkup(value) : value;
                EXPECT_EQ(FillCallTemplate(u"["_s + QString::fromUtf16(field.placeholder) + u"]"_s, call,
                              filler.rule, filler.values),
                    u"["_s + expected + u"]"_s)
                    << filler.texts << ", " << field.field << " " << inside.toStdString();
            }
        }
    }
}

TEST(CallTemplate, SpeechValuesAreEscapedWhileTheTemplatesMarkupStays)
{
    CallInfo call = annLee();
    call.CallerName = QStringLiteral("Ann <break time=\"10s\"/> & <TIME>");
    call.ContactName = QStringLiteral("R&D");
    const QString text = QStringLiteral("<prosody rate=\"slow\">Call from <CALLER_NAME></prosody> "
                                        "(<CONTACT>) at <TIME>, <CALLER_NUMBER><MARK>");
    // The caller's "<TIME>" is text now, not a placeholder.
    EXPECT_EQ(FillCallTemplate(text, call, TemplateRule::Service, TemplateValues::MarkupEscaped),
        u"<prosody rate=\"slow\">Call from Ann &lt;break time=\"10s\"/&gt; &amp; &lt;TIME&gt;</prosody> "
        u"(R&amp;D) at 09:30 PM, 5 5 5 1 2 3 4 ");
}

TEST(CallTemplate, SpellOutCharsPutsOneBlankAfterEveryCharacter)
{
    EXPECT_EQ(SpellOutChars(QString()), QString());
    EXPECT_EQ(SpellOutChars(QStringLiteral("5")), u"5 ");
    EXPECT_EQ(SpellOutChars(QStringLiteral("+1 555")), u"+ 1   5 5 5 ");
    // A character outside the basic plane is one character, not two halves.
    EXPECT_EQ(SpellOutChars(QStringLiteral("1\U0001F4DE2")), u"1 \U0001F4DE 2 ");
}

} // namespace
