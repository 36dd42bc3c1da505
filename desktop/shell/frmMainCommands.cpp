// The main window's menu commands: every item of its nine menus arrives in
// m_cMenu_Click and runs the row of its key.
#include "desktop/shell/frmMain.h"

#include "common/FixedRecord.h"
#include "desktop/calls/CallsList.h"
#include "desktop/contacts/mdlContactList.h"
#include "desktop/foundation/AddressOpener.h"
#include "desktop/foundation/CallRows.h"
#include "desktop/foundation/ContactStore.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/HelpPages.h"
#include "desktop/foundation/ProductAddresses.h"
#include "desktop/foundation/mdlModemState.h"
#include "desktop/settings/frmInfo.h"
#include "desktop/shell/SavedCall.h"
#include "desktop/shell/ShellGlobals.h"
#include "desktop/shell/WindowOpener.h"
#include "platform/grid/vbalGrid.h"

#include <QLabel>

namespace {

enum LineMode : qint16 { LineOn = 0, LineOff = 1, LineAuto = 2 };

void showModal(const char* name)
{
    // No owner: these windows stand on their own.
    CurrentWindowOpener().ShowModal(QString::fromLatin1(name), 0, nullptr);
}

void openAddress(const QString& address)
{
    if (!CurrentAddressOpener().Open(address))
        qWarning("Ringvale: nothing could open %s", qPrintable(address));
}

} // namespace

const QList<frmMain::MenuCommand>& frmMain::MenuCommands()
{
    static const QList<MenuCommand> commands = {
        // The main toolbar's buttons.
        {u"Events", [](frmMain& w) { w.cToolbar1_ButtonClick(1); }},
        {u"Notice", [](frmMain& w) { w.cToolbar1_ButtonClick(2); }},
        {u"Access", [](frmMain& w) { w.cToolbar1_ButtonClick(3); }},
        {u"Contacts", [](frmMain& w) { w.cToolbar1_ButtonClick(4); }},
        {u"srContacts", [](frmMain& w) { w.cToolbar1_ButtonClick(4); }},
        {u"Properties", [](frmMain& w) { w.cToolbar1_ButtonClick(6); }},
        {u"stProporties", [](frmMain& w) { w.cToolbar1_ButtonClick(6); }},
        {u"Journal", [](frmMain& w) { w.cToolbar1_ButtonClick(7); }},
        // The folder toolbar's buttons.
        {u"Last", [](frmMain& w) { w.cToolbar2_ButtonClick(0); }},
        {u"Today", [](frmMain& w) { w.cToolbar2_ButtonClick(1); }},
        {u"Log", [](frmMain& w) { w.cToolbar2_ButtonClick(2); }},
        {u"Delete", [](frmMain& w) { w.cToolbar2_ButtonClick(3); }},
        {u"RCC_DelCall", [](frmMain& w) { w.cToolbar2_ButtonClick(3); }},
        // Windows of their own.
        {u"Dialer", [](frmMain&) { showModal("frmDialer"); }},
        {u"Search", [](frmMain&) { showModal("frmSearch"); }},
        {u"mnuHelp(3)", [](frmMain&) { showModal("frmAbout"); }},
        {u"Translation", [](frmMain&) { showModal("frmTranser"); }},
        // The line. Only the menu's OFF is remembered for the service's next
        // start, whether or not it could be sent now.
        {u"ON", [](frmMain&) { SendModemState(LineOn, QString(), QString()); }},
        {u"stOpenLine", [](frmMain&) { SendModemState(LineOn, QString(), QString()); }},
        {u"OFF",
            [](frmMain&) {
                SendModemState(LineOff, QString(), QString());
                if (!RegistryRoutines::forProduct(QStringLiteral("Properties\\TabLineStat"))
                         .setString(QStringLiteral("cmbLineStat"), QStringLiteral("1")))
                    qWarning("Ringvale: cmbLineStat cannot be written in the settings store.");
            }},
        {u"stCloseLine", [](frmMain&) { SendModemState(LineOff, QString(), QString()); }},
        {u"AUTO", [](frmMain&) { SendModemState(LineAuto, g_sTimeOn, g_sTimeOff); }},
        // The window itself.
        {u"stShow", [](frmMain& w) { w.ShowWindow(); }},
        {u"Hide", [](frmMain& w) { w.close(); }},
        {u"Exit", [](frmMain& w) { w.ExitWithNote(); }},
        {u"stExit", [](frmMain& w) { w.ExitWithNote(); }},
        // The call list.
        {u"BackMsg", [](frmMain& w) { w.MoveSelectedCall(-1); }},
        {u"NextMsg", [](frmMain& w) { w.MoveSelectedCall(1); }},
        {u"RCC_CallProp",
            [](frmMain& w) {
                if (w.m_callsList)
                    w.m_callsList->vbalGrid1_DblClick();
            }},
        {u"Edit", [](frmMain& w) { w.EditCallContact(); }},
        {u"RCC_CreateEditContact", [](frmMain& w) { w.EditCallContact(); }},
        {u"SaveToPC", [](frmMain& w) { SaveSelectedCall(*w.vbalGrid1, &w); }},
        {u"RCC_SaveToPC", [](frmMain& w) { SaveSelectedCall(*w.vbalGrid1, &w); }},
        // The details pane.
        {u"rcErase",
            [](frmMain& w) {
                for (QLabel* label : {w.lblMainCallerName, w.lblMainCallerNumber, w.lblMainContactName,
                         w.lblMainDate, w.lblMainRingNum, w.lblMainTime})
                    label->clear();
                w.imgMainCallerPic->clear();
            }},
        {u"rcViewBG", [](frmMain& w) { w.PickPaneColour(true); }},
        {u"rcViewFont", [](frmMain& w) { w.PickPaneColour(false); }},
        // Help and the web.
        {u"mnuHelp(0)", [](frmMain&) { ShowHelpStart(); }},
        {u"support", [](frmMain&) { ShowHelpPage(QStringLiteral("support")); }},
        {u"mnuHelp(1)", [](frmMain&) { openAddress(ProductPageAddress()); }},
        {u"ChkForNewVer", [](frmMain&) { openAddress(UpdateCheckAddress(g_sInstallationId, g_sVersion)); }},
    };
    return commands;
}

void frmMain::m_cMenu_Click(qint32 itemNumber)
{
    const QString key = m_cMenu.ItemKey(itemNumber);
    for (const MenuCommand& command : MenuCommands()) {
        if (key == QStringView(command.key)) {
            command.run(*this);
            return;
        }
    }
}

void frmMain::ExitWithNote()
{
    // Closing the desktop leaves the service running: say so until the box
    // was ticked once.
    const QString answered = RegistryRoutines::forProduct(QString()).getString(QStringLiteral("ServiceMSG"));
    if (g_bServiceMode && (answered == u"0" || answered.isEmpty()))
        ShowServiceExitNote(this);
    ExitApp();
}

void frmMain::MoveSelectedCall(qint32 step)
{
    const qint32 row = vbalGrid1->SelectedRow() + step;
    if (row >= 1 && row <= vbalGrid1->Rows())
        vbalGrid1->SetSelectedRow(row);
}

void frmMain::EditCallContact()
{
    if (vbalGrid1->Rows() < 1)
        return;
    const qint32 row = vbalGrid1->SelectedRow();
    const QString callerName = vbalGrid1->CellText(row, CallColumn::CallerName);
    const QString callerNumber = vbalGrid1->CellText(row, CallColumn::CallerNumber);
    // The number alone decides: a contact may be stored under another name.
    ContactRecord record;
    const qint32 found = FindContactRecordByNumber(callerName, callerNumber, record);
    if (found == -1)
        NewContact(callerName, callerNumber, QString());
    else
        OpenContactForEdit(
            FixedRecord::trimBlanks(record.ContactName).trimmed(), found, callerName, callerNumber);
}
