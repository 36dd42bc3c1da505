#include "desktop/settings/SettingsOpeners.h"

#include "desktop/settings/frmCallerID.h"

#include <cstdio>

namespace {

class MissingWindows final : public RecordedOpeners {
public:
    void ShowJournal(QWidget* owner) override
    {
        RecordedOpeners::ShowJournal(owner);
        sayOnce(m_journalSaid, "the journal viewer");
    }
    void ShowCallerIdSetup(QWidget* owner) override
    {
        RecordedOpeners::ShowCallerIdSetup(owner);
        ShowCallerIDSetup(owner);
    }

private:
    static void sayOnce(bool& said, const char* what)
    {
        if (said)
            return;
        said = true;
        std::fprintf(stderr, "Ringvale: %s is not part of this program yet\n", what);
        std::fflush(stderr);
    }
    bool m_journalSaid = false;
};

SettingsOpeners*& installed()
{
    static SettingsOpeners* openers = nullptr;
    return openers;
}

} // namespace

void RecordedOpeners::ShowJournal(QWidget*)
{
    ++journalShown;
}

void RecordedOpeners::ShowCallerIdSetup(QWidget*)
{
    ++callerIdSetupShown;
}

SettingsOpeners& CurrentSettingsOpeners()
{
    static MissingWindows standIn;
    SettingsOpeners* openers = installed();
    return openers ? *openers : standIn;
}

void SetSettingsOpeners(SettingsOpeners* openers)
{
    installed() = openers;
}
