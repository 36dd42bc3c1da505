#include "desktop/foundation/mdlModemState.h"

#include "common/ChannelMessages.h"
#include "desktop/foundation/HubLink.h"
#include "desktop/foundation/MainWindowSurfaces.h"
#include "desktop/foundation/Translation.h"

#include <cstdio>

namespace {

constexpr int kChangingLineState = 813;
constexpr qint32 kStatusPanel = 3;

void sayOnceNoHub()
{
    static bool said = false;
    if (said)
        return;
    said = true;
    std::fprintf(stderr, "No link to the service: line commands are not sent\n");
    std::fflush(stderr);
}

} // namespace

void SendModemState(qint16 mode, const QString& timeOn, const QString& timeOff)
{
    HubLink* hub = CurrentHubLink();
    if (!hub) {
        sayOnceNoHub();
        return;
    }
    MessageControl& udiOut = hub->udiOut;
    if (!udiOut.Channel(ChannelNumber::CommandChannel))
        return;
    CurrentMainWindow().SetPanelText(kStatusPanel, g_sTrans(kChangingLineState));
    // The line is not switched under a call that is ringing or connected.
    if (hub->sCallStatus != u"NOTHING")
        return;
    if (!udiOut.Channel(ChannelNumber::CommandChannel))
        return;
    switch (mode) {
    case 0:
        udiOut.Send(ChannelMessages::command(MessageName::On));
        break;
    case 1:
        udiOut.Send(ChannelMessages::command(MessageName::Off));
        break;
    case 2:
        udiOut.Send(ChannelMessages::autoMode(timeOn, timeOff));
        break;
    default:
        break;
    }
}
