#include "service/host/MainFormStandIn.h"

void MainFormStandIn::load()
{
    m_loaded = true;
}

void MainFormStandIn::unload()
{
    if (!m_loaded)
        return;
    m_loaded = false;
    Q_EMIT unloaded();
}
