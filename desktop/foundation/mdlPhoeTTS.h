#pragma once

#include "common/CallInfo.h"

#include <QString>

// The speech text of an incoming call filled as the desktop's speech test
// hears it: the service's template filler with the desktop's rule (the first
// ten placeholders, the caller number as it is, CallType read as a number).
QString ExpandTTSText(const QString& text, const CallInfo& call);
