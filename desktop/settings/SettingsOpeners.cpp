#include "desktop/settings/SettingsOpeners.h"

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
        sayOnce(m_callerIdSaid, "the caller-ID set-up window");
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
    bool m_callerIdSaid = false;
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
