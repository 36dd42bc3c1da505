#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The windows the contact list opens over itself. Each shows its window
// modally and returns when it closes. The editor is the real one; the dialer
// and the call search belong to the calls windows, which install openers of
// their own at the program's start (InstallCallsWindowOpeners); without them
// a stand-in counts the openings and says once that the window is missing.
class ContactListOpeners {
public:
    virtual ~ContactListOpeners() = default;
    // The editor for a new contact, nothing filled in.
    virtual void NewContact(QWidget* owner) = 0;
    virtual void OpenContactForEdit(QWidget* owner, const QString& contactName, qint32 recordNumber,
        const QString& callerName, const QString& callerNumber)
        = 0;
    // The dialer with its number box holding number.
    virtual void ShowDialer(QWidget* owner, const QString& number) = 0;
    // The call search with its name and number boxes filled; no search runs.
    virtual void ShowSearch(QWidget* owner, const QString& callerName, const QString& callerNumber) = 0;
};

// Keeps what was asked for, one line per opening ("New", "Edit|name|7|caller
// name|number", "Dialer|number", "Search|name|number"), so tests (and the
// stand-in) can tell.
class RecordedContactListOpeners : public ContactListOpeners {
public:
    void NewContact(QWidget* owner) override;
    void OpenContactForEdit(QWidget* owner, const QString& contactName, qint32 recordNumber,
        const QString& callerName, const QString& callerNumber) override;
    void ShowDialer(QWidget* owner, const QString& number) override;
    void ShowSearch(QWidget* owner, const QString& callerName, const QString& callerNumber) override;

    QStringList opened;
};

ContactListOpeners& CurrentContactListOpeners();
// Installs openers (not owned); null gives the program's own back.
void SetContactListOpeners(ContactListOpeners* openers);
