#pragma once

#include <QColor>
#include <QString>

#include <optional>

class RegistryRoutines;

// Colours that the settings store keeps as decimal text of 0x00BBGGRR
// ("16777215" white, "0" black): the details pane's and the caller pop-up's
// background and text. Both read and write them only here.

// The stored colour; nullopt when the value is missing, empty or not such a
// number, so the caller keeps the colour it was designed with ("0" is black
// and applies).
std::optional<QColor> ReadStoredColour(const RegistryRoutines& key, const QString& name);
// False when it was not written.
[[nodiscard]] bool WriteStoredColour(const RegistryRoutines& key, const QString& name, const QColor& colour);

// The caller pop-up's own look, which its Personal style shows where a
// colour is not stored (and the events window offers for it).
inline const QColor kPopUpTitleColour(0x14, 0x28, 0x46);
inline const QColor kPopUpBackColour(0x1f, 0x3a, 0x5f);
inline const QColor kPopUpTextColour(Qt::white);

// The text form alone: "255" for red.
QString StoredColourText(const QColor& colour);
std::optional<QColor> ParseStoredColour(const QString& text);
