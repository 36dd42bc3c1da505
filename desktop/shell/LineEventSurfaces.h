#pragma once

#include <QString>

// What the hub's line-event handlers change in the main window besides its
// status bar and tray balloon: the details pane of the current call, the
// tray blink, the recent-calls list and the line's button and menu marks.
// frmMain is one; a main window without it has these steps skipped.
class LineEventSurfaces {
public:
    virtual ~LineEventSurfaces() = default;

    enum class Detail { CallerName, CallerNumber, ContactName, Date, Time, RingNumber };
    // The pane's label, shown as plain text.
    virtual void SetCallDetail(Detail which, const QString& text) = 0;
    // imgMainCallerPic from a picture file; an empty path removes the picture.
    // False, and the picture shown before kept, when the file cannot be read.
    virtual bool SetCallerPicture(const QString& path) = 0;

    // Minimised to the task bar (a window hidden in the tray is g_bMainHidden).
    virtual bool IsMinimizedWindow() const = 0;
    // The tray icon blinks until the user comes back.
    virtual void StartBlink() = 0;
    // The call list shows the recent calls (the folder toolbar's first button).
    virtual void ShowRecentCalls() = 0;

    // Main toolbar button 0: its caption and its picture (0 open, 1 closed).
    virtual void SetLineButton(const QString& caption) = 0;
    virtual void SetLineButtonImage(qint32 image) = 0;
    // The tray menu's "stOpenLine" and "stCloseLine" marks.
    virtual void SetLineMarks(bool open, bool closed) = 0;
};
