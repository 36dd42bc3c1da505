#pragma once

#include "tests/support/FakeSystemctl.h"

#include <QStringList>

// The unit and the query the desktop runs systemctl with.
inline const char* const kUnit = "RingvaleSvc.service";
inline const QStringList kShow
    = ArgumentList({"--user", "show", "-p", "LoadState", "-p", "ActiveState", kUnit});
