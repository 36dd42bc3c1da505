#pragma once

#include <QString>

#include <optional>

class QWidget;
class vbalGrid;

// How the calls windows are opened: each made for one opening, shown
// modally over owner, and gone when it closes.

// The call details of grid's selected row (the main list's or a search's).
void ShowCallDetails(vbalGrid& grid, QWidget* owner);
// The dialer; the contact list gives the number its box shows instead of
// the last one dialled.
void ShowDialer(QWidget* owner, const std::optional<QString>& number = std::nullopt);
// The call search, its name and number boxes filled; no search runs.
void ShowSearch(QWidget* owner, const QString& callerName = {}, const QString& callerNumber = {});
void ShowJournalViewer(QWidget* owner);

// The contact list's Dialer and Search and the properties window's journal
// button open these windows from now on.
void InstallCallsWindowOpeners();
