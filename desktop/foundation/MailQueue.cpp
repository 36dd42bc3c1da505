#include "desktop/foundation/MailQueue.h"

#include <cstdio>

namespace {

class MissingMailQueue final : public MailQueue {
public:
    void SendByQ(const QString&, const QString&, const QString&, const QString&) override
    {
        if (m_said)
            return;
        m_said = true;
        std::fprintf(stderr, "Ringvale: no mail queue is running; the mail was not sent\n");
        std::fflush(stderr);
    }

private:
    bool m_said = false;
};

MailQueue* g_mailQueue = nullptr;

} // namespace

MailQueue& CurrentMailQueue()
{
    static MissingMailQueue missing;
    return g_mailQueue ? *g_mailQueue : missing;
}

void SetMailQueue(MailQueue* queue)
{
    g_mailQueue = queue;
}
