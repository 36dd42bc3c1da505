#include "platform/IniRegistry.h"
#include "tools/ringvale-reg/RegTool.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    IniRegistry::installDefault();
    QTextStream out(stdout);
    QTextStream err(stderr);
    return runRegTool(app.arguments().mid(1), out, err);
}
