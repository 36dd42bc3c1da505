#include "desktop/shell/WindowSwitch.h"

#include "desktop/contacts/frmContact.h"
#include "desktop/contacts/mdlContactList.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/TabStrip.h"

namespace WindowSwitch {

QWidget* load(const QString& name, const QString& page)
{
    if (name == u"frmContact") {
        // As the contact list's New opens it.
        frmContact& form = LoadContactEditor();
        form.NewOrEdit = QStringLiteral("NEW");
        if (!page.isEmpty())
            form.TabControl1->SelectTab(page);
        return &form;
    }
    return nullptr;
}

void run(const QString& name)
{
    if (name == u"frmContact")
        LoadContactEditor().exec();
}

void unload(const QString& name)
{
    g_bExiting = true;
    if (name == u"frmContact")
        UnloadContactEditor();
}

} // namespace WindowSwitch
