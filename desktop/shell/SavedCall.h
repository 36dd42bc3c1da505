#pragma once

#include <QString>

class QWidget;
class vbalGrid;

// What a call saved to a file holds, one "label: value" line each (CR LF):
// caller, number, date and time, description, length and the note (its
// lines kept).
struct SavedCall {
    QString callerName;
    QString callerNumber;
    QString dateTime;
    QString description;
    QString length;
    QString note;

    QString text() const;
};

// The selected call of a call grid: from its stored record (columns 8 and
// 9), else from what the row shows.
SavedCall SelectedCall(const vbalGrid& grid);

// The name the Save dialog proposes: caller name, "_", number, "_" and the
// date and time with "/" and ":" as dashes; characters a file name cannot
// hold become dashes.
QString ProposedCallFileName(const SavedCall& call);

// Asks where to save the grid's selected call and writes it there, ".txt"
// added unless the name ends with it. Nothing without a selected row or when
// cancelled; a file that cannot be written is said. True when written.
bool SaveSelectedCall(const vbalGrid& grid, QWidget* owner);
