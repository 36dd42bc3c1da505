#include "desktop/foundation/StoredColour.h"

#include "common/RegistryRoutines.h"
#include "desktop/foundation/mdlCommDialog.h"

namespace {

constexpr qint64 kLargestColour = 0xFFFFFF;

} // namespace

QString StoredColourText(const QColor& colour)
{
    return QString::number(ColorRefFromColor(colour));
}

std::optional<QColor> ParseStoredColour(const QString& text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    if (!ok || value < 0 || value > kLargestColour)
        return std::nullopt;
    return ColorFromColorRef(static_cast<qint32>(value));
}

std::optional<QColor> ReadStoredColour(const RegistryRoutines& key, const QString& name)
{
    return ParseStoredColour(key.getString(name));
}

bool WriteStoredColour(const RegistryRoutines& key, const QString& name, const QColor& colour)
{
    return key.setString(name, StoredColourText(colour));
}
