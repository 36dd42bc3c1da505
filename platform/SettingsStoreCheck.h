#pragma once

#include <QString>

// Whether the settings store holds the product's settings, told for a person.
// A program that cannot read its settings would otherwise run with every
// value missing: no line, no web server, no journal, and no word why.
namespace SettingsStoreCheck {

struct Result {
    enum class State {
        Ok,
        Missing, // no store file at all
        Unreadable, // a folder, no permission, too big
        NoProductKey, // empty, garbage, or cut short before the product's key
    };
    State state = State::Ok;
    QString file; // the store file of HKEY_LOCAL_MACHINE
    // One line for standard error: the path and what to run; empty when Ok.
    QString problem;
    // A usable store that ends in the middle of a line (cut short?): its last
    // value may be wrong. One line; empty when it ends properly.
    QString warning;
    bool usable() const { return state == State::Ok; }
};

// The store in folder (empty: AppPaths::registryFolder()), asked for the key
// HKLM\<RegistryRoutines::productKey()>.
Result check(const QString& folder = QString());

} // namespace SettingsStoreCheck
