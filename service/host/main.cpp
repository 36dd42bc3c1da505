#include "platform/IniRegistry.h"
#include "platform/LocalListener.h"
#include "service/host/mdlMain.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    raiseDescriptorLimit();
    QCoreApplication app(argc, argv);
    IniRegistry::installDefault();
    return Main(app.arguments().mid(1));
}
