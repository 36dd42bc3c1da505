#pragma once

#include <QString>
#include <QStringList>

// The caller pop-up (frmMessenger) as the events window's previews use it:
// one object for the program whose window is made by Load and closed by
// Unload; its members keep their values from one showing to the next. The
// shell installs the real pop-up; until it does, a stand-in records what was
// asked and says once that the pop-up is missing.
class CallerPopUp {
public:
    virtual ~CallerPopUp() = default;
    // Makes the window when there is none; a new window reads the stored
    // style and colours.
    virtual void Load() = 0;
    // Closes a window on screen.
    virtual void Unload() = 0;
    virtual void SetTitle(const QString& title) = 0;
    // Shows the window with the members below.
    virtual void Display() = 0;

    qint32 lAnimateFaster = 0;
    bool bAnimate = false;
    bool bClose = false;
    qint32 lCloseAfter = 0;
    // The next Display shows sample texts instead of a caller.
    bool bTest = false;
};

// Keeps a line per request: "load", "unload", "title TEXT" and, for Display,
// "display" with the members as they were.
class RecordedPopUp : public CallerPopUp {
public:
    void Load() override;
    void Unload() override;
    void SetTitle(const QString& title) override;
    void Display() override;

    QStringList log;
};

CallerPopUp& CurrentCallerPopUp();
// Installs popUp (not owned); null gives the stand-in back.
void SetCallerPopUp(CallerPopUp* popUp);
