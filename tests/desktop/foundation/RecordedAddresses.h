#pragma once

#include "desktop/foundation/AddressOpener.h"

#include <QStringList>

// Installs itself as the address opener and keeps what it was asked to open.
class RecordedAddresses : public AddressOpener {
public:
    RecordedAddresses() { SetAddressOpener(this); }
    ~RecordedAddresses() override { SetAddressOpener(nullptr); }
    RecordedAddresses(const RecordedAddresses&) = delete;
    RecordedAddresses& operator=(const RecordedAddresses&) = delete;
    bool Open(const QString& address) override
    {
        opened << address;
        return true;
    }
    QStringList opened;
};
