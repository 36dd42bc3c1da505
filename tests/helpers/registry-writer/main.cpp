// registry-writer SUBKEY PREFIX COUNT
// Writes COUNT values PREFIX0..PREFIX<COUNT-1> (data "PREFIX<i>-data") into the
// product key's SUBKEY, one locked write each. Exit 1 when any write fails.
#include "common/RegistryRoutines.h"
#include "platform/IniRegistry.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    IniRegistry::installDefault();
    const QStringList args = app.arguments();
    bool ok = false;
    const int count = args.size() == 4 ? args[3].toInt(&ok) : 0;
    if (!ok || count < 0) {
        std::fputs("usage: registry-writer SUBKEY PREFIX COUNT\n", stderr);
        return 2;
    }
    const RegistryRoutines reg = RegistryRoutines::forProduct(args[1]);
    int failed = 0;
    for (int i = 0; i < count; ++i) {
        const QString name = args[2] + QString::number(i);
        if (!reg.setString(name, name + QStringLiteral("-data")))
            ++failed;
    }
    return failed == 0 ? 0 : 1;
}
