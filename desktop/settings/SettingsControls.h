#pragma once

#include <QString>

#include <optional>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;
class QWidget;

// Small pieces the settings windows share.

// A label that acts as a link: a flat button drawn as underlined text.
QPushButton* LinkButton(const QString& text, QWidget* parent);

// A multi-line box shows lines ended by LF; the store keeps CR LF.
QString ShownLines(const QString& stored);
// Fills the box from a stored value.
void ShowStoredLines(QPlainTextEdit* box, const QString& stored);
// What to store for the box: stored, byte for byte, while the box shows it
// unchanged; else the box's text with every line break as CR LF.
QString StoredLines(const QPlainTextEdit* box, const QString& stored);

// A stored number; a missing or empty value reads as 0, text that is not a
// whole number as nothing.
std::optional<int> StoredNumber(const QString& text);
// A check box from its stored value (0 clear, 1 ticked, 2 grey; missing reads
// as 0); a value it cannot take leaves it.
void LoadStoredCheck(QCheckBox* box, const QString& text);
