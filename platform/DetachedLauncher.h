#pragma once

#include "platform/ProgramLauncher.h"

// Starts a program detached from the caller: a session of its own (so it
// outlives the caller and is never its child), standard input and output on
// /dev/null, standard error shared, no descriptor of the caller but these
// three, default signal handling. Whether exec worked is known before Start
// returns; the program's own run is never waited for.
class DetachedLauncher final : public ProgramLauncher {
public:
    LaunchResult Start(const QString& program, const QStringList& arguments, WindowStyle style) override;
};
