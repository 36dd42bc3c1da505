#include "desktop/shell/DesktopMain.h"
#include "platform/IniRegistry.h"
#include "platform/LocalListener.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    if (AsksForHelp(argc, argv)) {
        PrintDesktopHelp();
        return 0;
    }
    raiseDescriptorLimit();
    PrepareDesktopPlatform(argc, argv);
    QApplication app(argc, argv);
    IniRegistry::installDefault();
    return DesktopMain(QApplication::arguments().mid(1));
}
