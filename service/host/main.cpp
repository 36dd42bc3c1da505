#include "platform/IniRegistry.h"
#include "service/host/mdlMain.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    IniRegistry::installDefault();
    return Main(app.arguments().mid(1));
}
