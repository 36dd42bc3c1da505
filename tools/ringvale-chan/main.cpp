#include "platform/IniRegistry.h"
#include "tools/ringvale-chan/ChanTool.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    IniRegistry::installDefault();
    return ChanTool::run(app.arguments().mid(1));
}
