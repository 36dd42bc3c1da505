#include "desktop/shell/ServiceUnit.h"

namespace {

bool hasControlCharacter(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    }
    return false;
}

// A double-quoted word: C escapes for the quote and the backslash, "%%" for a
// literal "%", since systemd expands specifiers after unquoting.
QString quoted(const QString& text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == u'"' || c == u'\\')
            out += u'\\';
        else if (c == u'%')
            out += u'%';
        out += c;
    }
    return out + u'"';
}

} // namespace

std::optional<QByteArray> ServiceUnitText(const ServiceUnitSettings& settings)
{
    for (const QString* value :
        {&settings.program, &settings.home, &settings.registry, &settings.runtimeBase}) {
        if (hasControlCharacter(*value))
            return std::nullopt;
    }
    // The executable's path is taken as written after unquoting: no "$"
    // expansion there, and no escaped quote or backslash is accepted.
    if (settings.program.contains(u'"') || settings.program.contains(u'\'')
        || settings.program.contains(u'\\'))
        return std::nullopt;

    QString text;
    text += QStringLiteral("[Unit]\n");
    text += QStringLiteral("Description=Brask - Ringvale 1.0 Service\n");
    text += QStringLiteral("\n[Service]\n");
    text += QStringLiteral("Type=notify\n");
    text += QStringLiteral("ExecStart=") + quoted(settings.program) + u'\n';
    text += QStringLiteral("Environment=") + quoted(QStringLiteral("RINGVALE_HOME=") + settings.home) + u'\n';
    text += QStringLiteral("Environment=") + quoted(QStringLiteral("RINGVALE_REGISTRY=") + settings.registry)
        + u'\n';
    text += QStringLiteral("Environment=") + quoted(QStringLiteral("XDG_RUNTIME_DIR=") + settings.runtimeBase)
        + u'\n';
    text += QStringLiteral("\n[Install]\n");
    text += QStringLiteral("WantedBy=default.target\n");
    return text.toUtf8();
}
