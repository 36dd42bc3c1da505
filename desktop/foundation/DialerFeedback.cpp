#include "desktop/foundation/DialerFeedback.h"

namespace {

DialerFeedback* g_loadedDialer = nullptr;

} // namespace

DialerFeedback* LoadedDialer()
{
    return g_loadedDialer;
}

void SetLoadedDialer(DialerFeedback* dialer)
{
    g_loadedDialer = dialer;
}
