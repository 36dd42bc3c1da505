#pragma once

#include <QStringList>
#include <QTextStream>

// ringvale-line: drives the far end of the simulated line in the program
// that has it open (RingvaleSvc), through its control socket.
//   call --number N [--name X] [--rings K] [--cid-after-ring C]
//        [--hangup-after-ring H] [--audio FILE] [--fast]
//   offer [--number N] [--name X] [--audio FILE]
//   ring | cid [--number N] [--name X] | hangup [--fast]
//   answer [--audio FILE]
//   status
//   fail WHAT... [--times N]      (WHAT: initialize open close drop dial answer)
//   fail none
// Every command takes --line N (default 0). Exit status: 0 done, 1 the line
// refused, 2 bad arguments, 3 no program has the simulated line open.
int runLineTool(const QStringList& args, QTextStream& out, QTextStream& err);
