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
    // A window is there: made and not closed since.
    virtual bool IsLoaded() const = 0;
    // The caller's texts on a window that is there, shown as they are (plain
    // text); the picture from a file, kept as it was when the file cannot be
    // read.
    virtual void SetCallerName(const QString& text) = 0;
    virtual void SetCallerNumber(const QString& text) = 0;
    virtual void SetContact(const QString& text) = 0;
    virtual void SetPicture(const QString& path) = 0;

    qint32 lAnimateFaster = 0;
    bool bAnimate = false;
    bool bClose = false;
    qint32 lCloseAfter = 0;
    // The next Display shows sample texts instead of a caller.
    bool bTest = false;
};

// Keeps a line per request: "load", "unload", "title TEXT", "name TEXT",
// "number TEXT", "contact TEXT", "picture PATH" and, for Display, "display"
// with the members as they were. Loaded from Load to Unload.
class RecordedPopUp : public CallerPopUp {
public:
    void Load() override;
    void Unload() override;
    void SetTitle(const QString& title) override;
    void Display() override;
    bool IsLoaded() const override { return loaded; }
    void SetCallerName(const QString& text) override;
    void SetCallerNumber(const QString& text) override;
    void SetContact(const QString& text) override;
    void SetPicture(const QString& path) override;

    QStringList log;
    bool loaded = false;
};

CallerPopUp& CurrentCallerPopUp();
// Installs popUp (not owned); null gives the stand-in back.
void SetCallerPopUp(CallerPopUp* popUp);
