#pragma once

#include <QString>

// What the service tells a person: one line on standard error per event
// ("RingvaleSvc: started ..."), which the starting terminal or, under
// systemd, the system journal shows. Safe from any thread; a line is never
// mixed with another.
namespace ServiceConsole {

void say(const QString& text);

} // namespace ServiceConsole
