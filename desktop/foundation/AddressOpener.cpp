#include "desktop/foundation/AddressOpener.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

class DesktopAddressOpener final : public AddressOpener {
public:
    bool Open(const QString& address) override { return QDesktopServices::openUrl(QUrl(address)); }
};

AddressOpener*& installedOpener()
{
    static AddressOpener* opener = nullptr;
    return opener;
}

} // namespace

AddressOpener& CurrentAddressOpener()
{
    static DesktopAddressOpener desktop;
    AddressOpener* opener = installedOpener();
    return opener ? *opener : desktop;
}

void SetAddressOpener(AddressOpener* opener)
{
    installedOpener() = opener;
}
