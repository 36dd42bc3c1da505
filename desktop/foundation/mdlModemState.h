#pragma once

#include <QString>

// Asks the service to switch its line: mode 0 on ("ON"), 1 off ("OFF"), 2 the
// daily window from timeOn to timeOff ("AUTO"); any other mode sends nothing.
// Only while the command channel can be used: then panel 3 of the status bar
// says the line state is changing, and the command goes out unless a call is
// ringing or connected. The service answers with "LineStatus" on the event
// channel; nothing here waits for it.
void SendModemState(qint16 mode, const QString& timeOn, const QString& timeOff);
