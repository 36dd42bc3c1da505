#include "platform/ServiceManagerControl.h"

#include "platform/SystemctlServiceManager.h"

namespace {

ServiceManagerControl* g_override = nullptr;

} // namespace

ServiceManagerControl::~ServiceManagerControl() = default;

ServiceManagerControl& ServiceManagerControl::instance()
{
    if (g_override)
        return *g_override;
    static SystemctlServiceManager systemctl;
    return systemctl;
}

ServiceManagerOverride::ServiceManagerOverride(ServiceManagerControl& control)
    : m_previous(g_override)
{
    g_override = &control;
}

ServiceManagerOverride::~ServiceManagerOverride()
{
    g_override = m_previous;
}
