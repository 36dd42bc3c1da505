#pragma once

#include <QStringList>
#include <QTextStream>

// ringvale-reg: read and change the settings store from a shell.
//   get KEY NAME            print the value; exit 1, saying so, when it is missing
//   set KEY NAME VALUE      write a string value (the key must exist)
//   create KEY              create a key and its parents
//   delete KEY [NAME]       delete a value, or the key when no name is given
//   list KEY                subkeys as "NAME\", then values as "NAME=VALUE"
//   import FILE [--keep]    apply a defaults file; --keep leaves set values alone
// KEY starts with its root: HKLM, HKCU, HKCR or their long names.
// --help prints the commands and the exit statuses.
int runRegTool(const QStringList& args, QTextStream& out, QTextStream& err);
