#include "desktop/foundation/HubLink.h"

namespace {

HubLink*& installedLink()
{
    static HubLink* link = nullptr;
    return link;
}

} // namespace

HubLink::~HubLink()
{
    if (installedLink() == this)
        installedLink() = nullptr;
}

HubLink* CurrentHubLink()
{
    return installedLink();
}

void SetHubLink(HubLink* link)
{
    installedLink() = link;
}
