#pragma once

#include <QString>

// Opens a web address in the user's browser; tests install one that records.
class AddressOpener {
public:
    virtual ~AddressOpener() = default;
    // False when nothing could open it.
    virtual bool Open(const QString& address) = 0;
};

// The opener in use: the desktop's own unless a test installed another.
AddressOpener& CurrentAddressOpener();
// Installs opener (not owned); null gives the desktop's back.
void SetAddressOpener(AddressOpener* opener);
