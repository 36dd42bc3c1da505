#include "common/RegistryBackend.h"

#include <atomic>

namespace {
std::atomic<RegistryBackend*> g_backend{nullptr};
}

RegistryBackend* RegistryBackend::current()
{
    return g_backend.load();
}

void RegistryBackend::install(RegistryBackend* backend)
{
    g_backend.store(backend);
}
