#pragma once

#include <QString>

// Where the program folder, the settings store and the private runtime folder
// are. Both programs use these rules, so they always meet in the same places.
namespace AppPaths {

// The program folder (g_sAppPath): RINGVALE_HOME when set, else the folder of
// the running executable; never with a trailing separator.
QString programFolder();

// The settings store's folder: RINGVALE_REGISTRY, else $XDG_CONFIG_HOME/Ringvale
// (normally ~/.config/Ringvale).
QString registryFolder();

// The folder the private runtime folder is made in: $XDG_RUNTIME_DIR when it
// names a folder, else the temporary folder; absolute, no trailing separator.
QString runtimeBase();

struct RuntimeFolder {
    QString path; // empty when there is none
    // Why there is none, for a person: the folder, its owner and mode, and
    // what to do about it.
    QString problem;
};

// A folder private to this user (mode 0700) for sockets of this program folder:
// runtimeBase()/ringvale-<uid>-<hash of programFolder()>.
// Created when missing; refused when it is not a folder of this user's or
// cannot be made private.
RuntimeFolder openRuntimeFolder();
// openRuntimeFolder().path
QString runtimeFolder();

} // namespace AppPaths
