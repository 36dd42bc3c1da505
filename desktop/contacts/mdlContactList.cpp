#include "desktop/contacts/mdlContactList.h"

#include "desktop/contacts/frmContact.h"
#include "desktop/foundation/ContactStore.h"
#include "desktop/foundation/Translation.h"
#include "desktop/foundation/WindowUtilities.h"
#include "desktop/foundation/mdlFunctions.h"

#include <QLineEdit>
#include <QPointer>

namespace {

QPointer<frmContact>& editor()
{
    static QPointer<frmContact> instance;
    return instance;
}

} // namespace

frmContact& LoadContactEditor()
{
    if (!editor())
        editor() = new frmContact;
    return *editor();
}

frmContact* LoadedContactEditor()
{
    return editor().data();
}

void UnloadContactEditor()
{
    delete editor().data();
}

void OpenContactForEdit(const QString& contactName, qint32 recordNumber, const QString& /*callerName*/,
    const QString& /*callerNumber*/)
{
    frmContact& form = LoadContactEditor();
    form.NewOrEdit = QStringLiteral("EDIT");
    form.OriginalContact = contactName;
    form.ContactListIndex = recordNumber;
    ContactRecord record;
    if (GetContactRecordByName(contactName, record) < 0) {
        // The file changed since the caller read it: showing whatever record
        // was read last would save one contact over another.
        ShowMessage(ReplacePlaceholder(g_sTrans(846), contactName), false);
        form.ResetContactForm();
        return;
    }
    form.LoadContact(record);
    form.exec();
}

void NewContact(const QString& callerName, const QString& callerNumber, const QString& contactName)
{
    frmContact& form = LoadContactEditor();
    form.NewOrEdit = QStringLiteral("NEW");
    if (!callerName.isEmpty())
        form.txtCallerName->setText(callerName);
    if (!callerNumber.isEmpty())
        form.txtCallerNumber->setText(callerNumber);
    if (!contactName.isEmpty())
        form.txtContactName->setText(contactName);
    form.exec();
}
