#pragma once

#include <QString>

class QWidget;

// How the desktop loads and shows its other windows by name: "frmEvents"
// (page: its tab, from 1), "frmProperties" (page: its tree's node, from 1),
// "frmContact", "frmContactList", "frmForward", "frmAccess", "frmSearch",
// "frmLog", "frmDialer", "frmCallDetails" (the main list's selected call),
// "frmAbout", "frmTranser". Another name is said on standard error.
class WindowOpener {
public:
    virtual ~WindowOpener() = default;
    // Loads the window without showing it.
    virtual void Load(const QString& name) = 0;
    // Loads it when needed and shows it modally over owner, on page when it
    // has pages (0: the page its load chose); returns when it closes.
    virtual void ShowModal(const QString& name, int page, QWidget* owner) = 0;
};

// The opener in use: the program's own unless a test installed another.
WindowOpener& CurrentWindowOpener();
// Installs opener (not owned); null gives the program's back.
void SetWindowOpener(WindowOpener* opener);
