#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// ringvale-chan: watch and drive the channels from a shell.
//   listen N...      print every text arriving on the channels, one per line:
//                    the channel number, a blank, the text escaped
//   send N TEXT      send one text (escapes allowed); exit 1 when nobody is
//                    bound to N, so the text was dropped
// Escapes, both ways, as EscapedText writes them (the character 20 prints
// as \x14), so a line of output is always one whole text.
namespace ChanTool {

// Runs the tool; listen returns only when the program is told to end.
int run(const QStringList& args);

} // namespace ChanTool
