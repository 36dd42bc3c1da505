#include "desktop/shell/WindowSwitch.h"

#include "common/RegistryRoutines.h"
#include "desktop/calls/frmCallDetails.h"
#include "desktop/calls/frmDialer.h"
#include "desktop/calls/frmLog.h"
#include "desktop/calls/frmSearch.h"
#include "desktop/contacts/frmContact.h"
#include "desktop/contacts/frmContactList.h"
#include "desktop/contacts/mdlContactList.h"
#include "desktop/foundation/CallRows.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/HubLink.h"
#include "desktop/foundation/LastCalls.h"
#include "desktop/foundation/TabStrip.h"
#include "desktop/foundation/Translation.h"
#include "desktop/settings/MainDevices.h"
#include "desktop/settings/frmAbout.h"
#include "desktop/settings/frmAccess.h"
#include "desktop/settings/frmCallerID.h"
#include "desktop/settings/frmEvents.h"
#include "desktop/settings/frmForward.h"
#include "desktop/settings/frmInfo.h"
#include "desktop/settings/frmMailDetails.h"
#include "desktop/settings/frmProperties.h"
#include "desktop/settings/frmSmtp.h"
#include "desktop/settings/frmTranser.h"
#include "desktop/shell/ControlGallery.h"
#include "desktop/shell/frmMessenger.h"
#include "desktop/shell/frmSysTray.h"
#include "platform/TelephonyControl.h"
#include "platform/grid/vbalGrid.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>

#include <memory>

namespace {

QPointer<frmInfo>& infoWindow()
{
    static QPointer<frmInfo> window;
    return window;
}

QPointer<frmCallerID>& callerIdSetup()
{
    static QPointer<frmCallerID> window;
    return window;
}

QPointer<frmAccess>& accessWindow()
{
    static QPointer<frmAccess> window;
    return window;
}

QPointer<frmAbout>& aboutBox()
{
    static QPointer<frmAbout> window;
    return window;
}

QPointer<frmTranser>& translator()
{
    static QPointer<frmTranser> window;
    return window;
}

QPointer<frmContactList>& contactList()
{
    static QPointer<frmContactList> window;
    return window;
}

// The calls windows run alone; the details window shows the recent calls'
// first one, from a list of its own.
QPointer<QDialog>& callsWindow()
{
    static QPointer<QDialog> window;
    return window;
}

// The forwarding window and the two it opens, each alone.
QPointer<QDialog>& forwardingWindow()
{
    static QPointer<QDialog> window;
    return window;
}

std::unique_ptr<vbalGrid>& recentCalls()
{
    static std::unique_ptr<vbalGrid> grid;
    return grid;
}

QPointer<ControlGallery>& gallery()
{
    static QPointer<ControlGallery> window;
    return window;
}

// A window run alone that talks to the service has a link of its own.
std::unique_ptr<HubLink>& windowLink()
{
    static std::unique_ptr<HubLink> link;
    return link;
}

constexpr int kFlushMs = 3000;

// Without a hub nothing has heard the service's line state: the one it
// opens the line with is the stored one, and so are the switch times.
void linkOfTheWindowAlone()
{
    windowLink() = std::make_unique<HubLink>();
    SetHubLink(windowLink().get());
    const RegistryRoutines lineState
        = RegistryRoutines::forProduct(QStringLiteral("Properties\\TabLineStat"));
    const QString stored = lineState.getString(QStringLiteral("cmbLineStat"));
    g_bAutoMode = stored == u"2";
    g_bLineOff = stored != u"0" && stored != u"2";
    g_sTimeOn = lineState.getString(QStringLiteral("txtTimeOn"));
    g_sTimeOff = lineState.getString(QStringLiteral("txtTimeOff"));
}

frmMessenger* programPopUp()
{
    return dynamic_cast<frmMessenger*>(&CurrentCallerPopUp());
}

// The pop-up as the events window's preview shows it, placed at once.
QWidget* showPopUpPreview()
{
    frmMessenger* popUp = programPopUp();
    if (!popUp)
        return nullptr;
    popUp->Load();
    popUp->SetTitle(g_sTrans(802));
    popUp->bAnimate = false;
    popUp->bClose = false;
    popUp->bTest = true;
    popUp->Display();
    return popUp->window();
}

} // namespace

namespace WindowSwitch {

QStringList names()
{
    return {QStringLiteral("ControlGallery"), QStringLiteral("frmAbout"), QStringLiteral("frmAccess"),
        QStringLiteral("frmCallDetails"), QStringLiteral("frmCallerID"), QStringLiteral("frmContact"),
        QStringLiteral("frmContactList"), QStringLiteral("frmDialer"), QStringLiteral("frmEvents"),
        QStringLiteral("frmForward"), QStringLiteral("frmInfo"), QStringLiteral("frmLog"),
        QStringLiteral("frmMailDetails"), QStringLiteral("frmMessenger"), QStringLiteral("frmProperties"),
        QStringLiteral("frmSearch"), QStringLiteral("frmSmtp"), QStringLiteral("frmTranser")};
}

QWidget* load(const QString& name, const QString& pageText)
{
    if (name == u"frmContact") {
        // As the contact list's New opens it.
        frmContact& form = LoadContactEditor();
        form.NewOrEdit = QStringLiteral("NEW");
        if (!pageText.isEmpty())
            form.TabControl1->SelectTab(pageText);
        return &form;
    }
    if (name == u"frmContactList") {
        contactList() = new frmContactList;
        return contactList();
    }
    if (name == u"frmProperties") {
        // As the main window opens it: page 1 unless another is asked for.
        frmProperties& form = LoadPropertiesWindow();
        bool ok = pageText.isEmpty();
        const int page = ok ? 1 : pageText.toInt(&ok);
        form.OpenPage(ok ? page - 1 : -1);
        return &form;
    }
    if (name == u"frmEvents") {
        // As the main window opens it: the incoming-call tab unless another is asked for.
        frmEvents& form = LoadEventsWindow();
        form.TabControl1->SelectTab(pageText.isEmpty() ? QStringLiteral("IncommingCallEvents") : pageText);
        return &form;
    }
    if (name == u"frmCallerID") {
        // As the properties window's "Caller-ID feature" opens it. Alone,
        // the window still takes the line from the service while it is open.
        if (!CurrentHubLink())
            linkOfTheWindowAlone();
        frmProperties& properties = LoadPropertiesWindow();
        callerIdSetup() = new frmCallerID(&properties);
        callerIdSetup()->Open(properties.cmbModemDev->currentText());
        return callerIdSetup();
    }
    if (name == u"frmAccess") {
        accessWindow() = new frmAccess;
        return accessWindow();
    }
    if (name == u"frmAbout") {
        aboutBox() = new frmAbout(frmSysTray::DefaultIcon());
        return aboutBox();
    }
    if (name == u"frmTranser") {
        translator() = new frmTranser;
        return translator();
    }
    if (name == u"frmInfo") {
        // As the device details show the line chosen on the devices page.
        frmProperties& properties = LoadPropertiesWindow();
        infoWindow() = new frmInfo;
        QString line = properties.cmbModemDev->currentText();
        if (line.isEmpty())
            line = properties.cmbModemDev->itemText(0);
        infoWindow()->lblTitle->setText(line);
        infoWindow()->txtDetails->setPlainText(ModemDeviceDetails(CurrentMainDevices().Tapi1(), line));
        return infoWindow();
    }
    if (name == u"frmCallDetails") {
        recentCalls() = std::make_unique<vbalGrid>();
        SetCallsHeaders(*recentCalls(), CallGrid::Main);
        LoadLastCalls(*recentCalls());
        auto* details = new frmCallDetails;
        details->SetGrid(recentCalls().get());
        callsWindow() = details;
        return details;
    }
    if (name == u"frmDialer")
        return callsWindow() = new frmDialer;
    if (name == u"frmSearch")
        return callsWindow() = new frmSearch;
    if (name == u"frmLog")
        return callsWindow() = new frmLog;
    if (name == u"frmForward" || name == u"frmMailDetails" || name == u"frmSmtp") {
        if (name == u"frmForward") {
            auto* window = new frmForward;
            if (!pageText.isEmpty())
                window->TabControl1->SelectTab(pageText);
            forwardingWindow() = window;
        } else if (name == u"frmMailDetails") {
            forwardingWindow() = new frmMailDetails;
        } else {
            forwardingWindow() = new frmSmtp;
        }
        return forwardingWindow();
    }
    if (name == u"ControlGallery") {
        gallery() = new ControlGallery;
        return gallery();
    }
    if (name == u"frmMessenger")
        return showPopUpPreview();
    return nullptr;
}

void run(const QString& name)
{
    if (name == u"frmContact")
        LoadContactEditor().exec();
    else if (name == u"frmProperties")
        LoadPropertiesWindow().exec();
    else if (name == u"frmEvents")
        LoadEventsWindow().exec();
    else if (name == u"frmCallerID" && callerIdSetup())
        callerIdSetup()->exec();
    else if (name == u"frmInfo" && infoWindow())
        infoWindow()->exec();
    else if (name == u"frmAccess" && accessWindow())
        accessWindow()->exec();
    else if (name == u"frmAbout" && aboutBox())
        aboutBox()->exec();
    else if (name == u"frmTranser" && translator())
        translator()->exec();
    else if (name == u"frmContactList" && contactList())
        contactList()->exec();
    else if (name == u"frmMessenger" && programPopUp() && programPopUp()->window()) {
        // Until a click closes it.
        QObject::connect(programPopUp()->window(), &QObject::destroyed, qApp, &QCoreApplication::quit);
        QApplication::exec();
    } else if ((name == u"frmCallDetails" || name == u"frmDialer" || name == u"frmSearch"
                   || name == u"frmLog")
        && callsWindow())
        callsWindow()->exec();
    else if ((name == u"frmForward" || name == u"frmMailDetails" || name == u"frmSmtp") && forwardingWindow())
        forwardingWindow()->exec();
    else if (name == u"ControlGallery" && gallery()) {
        gallery()->show();
        QApplication::exec(); // ends when the gallery, the last window, closes
    }
}

void unload(const QString& name)
{
    g_bExiting = true;
    if (name == u"frmContact")
        UnloadContactEditor();
    delete infoWindow().data();
    delete accessWindow().data();
    delete aboutBox().data();
    delete translator().data();
    if (callerIdSetup()) {
        // The line state goes back as at any closing (once, if it closed).
        callerIdSetup()->cmdCancel_Click();
        delete callerIdSetup().data();
    }
    if (std::unique_ptr<HubLink>& link = windowLink()) {
        // The line state sent at closing reaches the service before the exit.
        (void)link->udiOut.Flush(kFlushMs);
        SetHubLink(nullptr);
        link.reset();
    }
    delete gallery().data();
    if (name == u"frmMessenger" && programPopUp())
        programPopUp()->Unload();
    delete callsWindow().data();
    recentCalls().reset();
    delete forwardingWindow().data();
    if (name == u"frmContactList") {
        delete contactList().data();
        UnloadContactEditor(); // its New and Edit load the editor
    }
    if (name == u"frmProperties" || name == u"frmInfo" || name == u"frmCallerID")
        UnloadPropertiesWindow();
    if (name == u"frmEvents")
        UnloadEventsWindow();
}

} // namespace WindowSwitch
