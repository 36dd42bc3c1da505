#pragma once

#include "platform/MessageControl.h"

#include <QString>

// What every desktop window uses of the hub form's link to the service: its
// endpoints of the command, process-control and speech channels and its view
// of the call in progress. The
// hub (frmProc) is one; the foundation reaches it through CurrentHubLink().
class HubLink {
public:
    HubLink() = default;
    virtual ~HubLink();
    HubLink(const HubLink&) = delete;
    HubLink& operator=(const HubLink&) = delete;

    // The command channel (308) to the service. Nothing is acknowledged, so
    // Channel(308) is asked before each send.
    MessageControl udiOut;
    // The process-control (305) and speech-test (306) channels. The settings
    // windows take an answer on 305 as the sign that the service is there.
    MessageControl udiProc;
    MessageControl uDiTTS;
    // "NOTHING" at start and after a call, "INCOME" once an incoming call is
    // announced, "ANSWERED" once it is connected; only the hub's line-event
    // handlers set it.
    QString sCallStatus = QStringLiteral("NOTHING");
};

// The hub link in use; null while no hub is there (a window run alone), which
// the foundation treats as a command channel that cannot be used.
HubLink* CurrentHubLink();
// Installs link (not owned); null takes it away. A link being destroyed takes
// itself away.
void SetHubLink(HubLink* link);
