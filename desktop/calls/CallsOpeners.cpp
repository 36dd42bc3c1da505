#include "desktop/calls/CallsOpeners.h"

#include "desktop/calls/frmCallDetails.h"
#include "desktop/calls/frmDialer.h"
#include "desktop/calls/frmLog.h"
#include "desktop/calls/frmSearch.h"
#include "desktop/contacts/ContactListOpeners.h"
#include "desktop/contacts/mdlContactList.h"
#include "desktop/settings/SettingsOpeners.h"
#include "desktop/settings/frmCallerID.h"

#include <QLineEdit>

namespace {

class CallsContactListOpeners final : public ContactListOpeners {
public:
    void NewContact(QWidget*) override { ::NewContact(QString(), QString(), QString()); }
    void OpenContactForEdit(QWidget*, const QString& contactName, qint32 recordNumber,
        const QString& callerName, const QString& callerNumber) override
    {
        ::OpenContactForEdit(contactName, recordNumber, callerName, callerNumber);
    }
    void ShowDialer(QWidget* owner, const QString& number) override { ::ShowDialer(owner, number); }
    void ShowSearch(QWidget* owner, const QString& callerName, const QString& callerNumber) override
    {
        ::ShowSearch(owner, callerName, callerNumber);
    }
};

class CallsSettingsOpeners final : public SettingsOpeners {
public:
    void ShowJournal(QWidget* owner) override { ShowJournalViewer(owner); }
    void ShowCallerIdSetup(QWidget* owner) override { ShowCallerIDSetup(owner); }
};

} // namespace

void ShowCallDetails(vbalGrid& grid, QWidget* owner)
{
    frmCallDetails window(owner);
    window.SetGrid(&grid);
    window.exec();
}

void ShowDialer(QWidget* owner, const std::optional<QString>& number)
{
    frmDialer window(owner);
    if (number)
        window.SetNumber(*number);
    window.exec();
}

void ShowSearch(QWidget* owner, const QString& callerName, const QString& callerNumber)
{
    frmSearch window(owner);
    window.txtCallerName->setText(callerName);
    window.txtCallerNumber->setText(callerNumber);
    window.exec();
}

void ShowJournalViewer(QWidget* owner)
{
    frmLog window(owner);
    window.exec();
}

void InstallCallsWindowOpeners()
{
    static CallsContactListOpeners contactList;
    static CallsSettingsOpeners settings;
    SetContactListOpeners(&contactList);
    SetSettingsOpeners(&settings);
}
