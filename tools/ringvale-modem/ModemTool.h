#pragma once

#include <QStringList>
#include <QTextStream>

// ringvale-modem: a fake caller-ID modem on a pseudo-terminal, and the
// commands that make it speak.
//   serve --link PATH [--error CMD]... [--silent CMD]...
//   ring
//   cid --number N [--name X] [--format formatted|spaced|unformatted|mesg-first] [--private]
//   raw TEXT
//   call --number N [--name X] [--rings K]
// Exit status: 0 done, 1 refused, 2 bad arguments, 3 nothing to reach (no
// fake modem serving, or for call no program with the simulated line).
int runModemTool(const QStringList& args, QTextStream& out, QTextStream& err);
