#include "tools/ringvale-calls/CallsTool.h"

#include "platform/IniRegistry.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // The rows are built in the desktop's grid, never shown: no display needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    IniRegistry::installDefault(); // purge reads the retention setting
    QTextStream out(stdout);
    QTextStream err(stderr);
    return runCallsTool(app.arguments().mid(1), out, err);
}
