#include "platform/IniRegistry.h"
#include "tools/Postrun/PostrunTool.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    // The journal's switches are settings.
    IniRegistry::installDefault();
    return PostrunTool::run(app.arguments().mid(1));
}
