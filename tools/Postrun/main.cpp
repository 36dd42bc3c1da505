#include "tools/Postrun/PostrunTool.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    return PostrunTool::run(app.arguments().mid(1));
}
