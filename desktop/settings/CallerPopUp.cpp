#include "desktop/settings/CallerPopUp.h"

#include <cstdio>

namespace {

class MissingPopUp final : public RecordedPopUp {
public:
    void Display() override
    {
        RecordedPopUp::Display();
        if (m_said)
            return;
        m_said = true;
        std::fprintf(stderr, "Ringvale: the caller pop-up is not part of this program yet\n");
        std::fflush(stderr);
    }

private:
    bool m_said = false;
};

CallerPopUp*& installed()
{
    static CallerPopUp* popUp = nullptr;
    return popUp;
}

} // namespace

void RecordedPopUp::Load()
{
    log << QStringLiteral("load");
    loaded = true;
}

void RecordedPopUp::Unload()
{
    log << QStringLiteral("unload");
    loaded = false;
}

void RecordedPopUp::SetCallerName(const QString& text)
{
    log << QStringLiteral("name ") + text;
}

void RecordedPopUp::SetCallerNumber(const QString& text)
{
    log << QStringLiteral("number ") + text;
}

void RecordedPopUp::SetContact(const QString& text)
{
    log << QStringLiteral("contact ") + text;
}

void RecordedPopUp::SetPicture(const QString& path)
{
    log << QStringLiteral("picture ") + path;
}

void RecordedPopUp::SetTitle(const QString& title)
{
    log << QStringLiteral("title ") + title;
}

void RecordedPopUp::Display()
{
    log << QStringLiteral("display faster=%1 animate=%2 close=%3 after=%4 test=%5")
               .arg(lAnimateFaster)
               .arg(int(bAnimate))
               .arg(int(bClose))
               .arg(lCloseAfter)
               .arg(int(bTest));
}

CallerPopUp& CurrentCallerPopUp()
{
    static MissingPopUp standIn;
    CallerPopUp* popUp = installed();
    return popUp ? *popUp : standIn;
}

void SetCallerPopUp(CallerPopUp* popUp)
{
    installed() = popUp;
}
