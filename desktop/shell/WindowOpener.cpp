#include "desktop/shell/WindowOpener.h"

#include "common/SharedUtilities.h"
#include "desktop/calls/CallsOpeners.h"
#include "desktop/contacts/frmContact.h"
#include "desktop/contacts/frmContactList.h"
#include "desktop/contacts/mdlContactList.h"
#include "desktop/foundation/TabStrip.h"
#include "desktop/settings/frmAbout.h"
#include "desktop/settings/frmAccess.h"
#include "desktop/settings/frmEvents.h"
#include "desktop/settings/frmForward.h"
#include "desktop/settings/frmProperties.h"
#include "desktop/settings/frmTranser.h"
#include "desktop/shell/frmMain.h"
#include "desktop/shell/frmSysTray.h"

#include <QTreeWidget>

#include <cstdio>

namespace {

// A name no window carries is a fault of the caller: said, not hidden.
void SayUnknownWindow(const QString& name)
{
    std::fprintf(stderr, "Ringvale: there is no window named %s\n", qPrintable(name));
    std::fflush(stderr);
}

class ProgramWindowOpener final : public WindowOpener {
public:
    void Load(const QString& name) override
    {
        if (name == u"frmProperties")
            LoadPropertiesWindow();
        else if (name == u"frmContact")
            LoadContactEditor();
        else if (name == u"frmEvents")
            LoadEventsWindow();
    }

    void ShowModal(const QString& name, int page, QWidget* owner) override
    {
        if (name == u"frmProperties") {
            frmProperties& window = LoadPropertiesWindow();
            if (page > 0)
                window.vbalTreeView1_NodeClick(window.vbalTreeView1->topLevelItem(page - 1));
            window.exec();
        } else if (name == u"frmEvents") {
            frmEvents& window = LoadEventsWindow();
            if (page == 1 || page == 2)
                window.TabControl1->SelectTab(
                    page == 1 ? QStringLiteral("IncommingCallEvents") : QStringLiteral("Advanced"));
            window.exec();
        } else if (name == u"frmContact") {
            LoadContactEditor().exec();
        } else if (name == u"frmContactList") {
            ShowContactList(owner);
        } else if (name == u"frmAccess") {
            // Made at each opening, from what is stored.
            frmAccess window(owner);
            window.exec();
        } else if (name == u"frmForward") {
            frmForward window(owner);
            window.exec();
        } else if (name == u"frmAbout") {
            frmAbout window(frmSysTray::DefaultIcon(), owner);
            window.exec();
        } else if (name == u"frmCallDetails") {
            // The main window's list: the one whose call is opened.
            auto* main = qobject_cast<frmMain*>(owner);
            if (!main)
                main = qobject_cast<frmMain*>(LoadedForm(QStringLiteral("frmMain")));
            if (main && main->vbalGrid1)
                ShowCallDetails(*main->vbalGrid1, owner);
        } else if (name == u"frmDialer") {
            ShowDialer(owner);
        } else if (name == u"frmSearch") {
            ShowSearch(owner);
        } else if (name == u"frmLog") {
            ShowJournalViewer(owner);
        } else if (name == u"frmTranser") {
            frmTranser window(owner);
            window.exec();
        } else {
            SayUnknownWindow(name);
        }
    }
};

WindowOpener*& installed()
{
    static WindowOpener* opener = nullptr;
    return opener;
}

} // namespace

WindowOpener& CurrentWindowOpener()
{
    static ProgramWindowOpener program;
    return installed() ? *installed() : program;
}

void SetWindowOpener(WindowOpener* opener)
{
    installed() = opener;
}
