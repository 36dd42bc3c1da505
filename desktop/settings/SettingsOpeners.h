#pragma once

class QWidget;

// Windows that the properties window opens: the journal viewer (frmLog), of
// another folder, and the caller-ID set-up (frmCallerID). Each shows its
// window modally over owner and returns when it closes. The journal viewer's
// folder installs the real opener at the program's start
// (InstallCallsWindowOpeners); without it the stand-in counts the openings
// and says once that the viewer is missing.
class SettingsOpeners {
public:
    virtual ~SettingsOpeners() = default;
    virtual void ShowJournal(QWidget* owner) = 0;
    virtual void ShowCallerIdSetup(QWidget* owner) = 0;
};

// Counts what was asked for, so tests (and the stand-in) can tell.
class RecordedOpeners : public SettingsOpeners {
public:
    void ShowJournal(QWidget* owner) override;
    void ShowCallerIdSetup(QWidget* owner) override;

    int journalShown = 0;
    int callerIdSetupShown = 0;
};

SettingsOpeners& CurrentSettingsOpeners();
// Installs openers (not owned); null gives the stand-in back.
void SetSettingsOpeners(SettingsOpeners* openers);
