// The hub's mail channel and the mail form it keeps loaded.
#include "common/ChannelLayout.h"
#include "common/ChannelMessages.h"
#include "desktop/foundation/MailQueue.h"
#include "desktop/shell/frmMAPI.h"
#include "desktop/shell/frmProc.h"

#include <cstdio>

void frmProc::LoadMailForm(std::unique_ptr<frmMAPI> form)
{
    if (m_frmMAPI)
        return;
    m_frmMAPI = form ? std::move(form) : std::make_unique<frmMAPI>();
    m_frmMAPI->Form_Load();
    SetMailQueue(m_frmMAPI.get());
    connect(&udiMail, &MessageControl::MessageArrived, this, &frmProc::udiMail_MessageArrived);
}

void frmProc::UnloadMailForm()
{
    if (m_frmMAPI)
        m_frmMAPI->Form_Unload();
}

void frmProc::udiMail_MessageArrived(const QString& text)
{
    const std::optional<ChannelMessages::MailRequest> request
        = ChannelMessages::parseSendMail(ChannelLayout::boundedMessage(text));
    if (!request) {
        static bool said = false;
        if (!said) {
            said = true;
            std::fprintf(
                stderr, "Ringvale: a mail request that is no \"SendMail\" of five fields was ignored\n");
            std::fflush(stderr);
        }
        return;
    }
    CurrentMailQueue().SendByQ(request->mailTo, request->subject, request->body, request->attachment);
}
