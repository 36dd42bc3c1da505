#include "tests/support/FakeSendmail.h"

#include <QDir>
#include <QFile>

FakeSendmail::FakeSendmail()
{
    QFile script(m_dir.filePath(QStringLiteral("sendmail")));
    if (!script.open(QIODevice::WriteOnly))
        return;
    // A run is counted once its "done" file is there, so no half-written
    // input is ever read.
    script.write("#!/bin/sh\n"
                 "dir=$(dirname \"$0\")\n"
                 "n=$(ls \"$dir\" | grep -c '^args\\.')\n"
                 "printf '%s\\n' \"$@\" > \"$dir/args.$n\"\n"
                 "cat > \"$dir/input.$n\"\n"
                 ": > \"$dir/done.$n\"\n"
                 "status=$(cat \"$dir/status\" 2>/dev/null || echo 0)\n"
                 "[ \"$status\" = 0 ] || echo \"fake sendmail refuses ($status)\" >&2\n"
                 "exit \"$status\"\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QString FakeSendmail::path() const
{
    return folder() + QStringLiteral(":/usr/bin:/bin");
}

void FakeSendmail::setExitStatus(int status)
{
    QFile file(m_dir.filePath(QStringLiteral("status")));
    if (file.open(QIODevice::WriteOnly))
        file.write(QByteArray::number(status));
}

QList<FakeSendmail::Run> FakeSendmail::runs() const
{
    QList<Run> runs;
    for (int n = 0; QFile::exists(m_dir.filePath(QStringLiteral("done.%1").arg(n))); ++n) {
        Run run;
        QFile args(m_dir.filePath(QStringLiteral("args.%1").arg(n)));
        if (args.open(QIODevice::ReadOnly)) {
            const QString text = QString::fromUtf8(args.readAll());
            run.arguments = text.split(u'\n');
            if (!run.arguments.isEmpty() && run.arguments.constLast().isEmpty())
                run.arguments.removeLast();
        }
        QFile input(m_dir.filePath(QStringLiteral("input.%1").arg(n)));
        if (input.open(QIODevice::ReadOnly))
            run.input = input.readAll();
        runs << run;
    }
    return runs;
}
