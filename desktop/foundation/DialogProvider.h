#pragma once

#include <QColor>
#include <QList>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

// What the common dialogs and the message box ask the user, and how: Qt's own
// dialogs in the program, a scripted stand-in in tests.

struct FileDialogRequest {
    enum Kind { Open, Save };
    Kind kind = Open;
    QPointer<QWidget> owner;
    QString title;
    QStringList nameFilters; // "Description (*.a *.b)"
    int filterIndex = 1; // 1 for the first filter
    QString startName; // the file-name box's text at the start
    bool confirmOverwrite = false; // Save: ask before replacing an existing file
    QRect centreOn; // the dialog is placed in the middle of this rectangle
};

struct FileDialogResult {
    bool accepted = false;
    QString path; // the chosen file's full path
    int filterIndex = 1;
};

struct ColorDialogRequest {
    QPointer<QWidget> owner;
    QColor initial;
    QList<QColor> customColors; // 16
    QRect centreOn;
};

struct ColorDialogResult {
    bool accepted = false;
    QColor color;
    QList<QColor> customColors; // as the user left them, accepted or not
};

struct MessageBoxRequest {
    QPointer<QWidget> owner;
    QString title;
    QString text;
    bool yesNo = false;
    bool rightToLeft = false;
};

class DialogProvider {
public:
    virtual ~DialogProvider() = default;
    virtual FileDialogResult fileDialog(const FileDialogRequest& request) = 0;
    virtual ColorDialogResult colorDialog(const ColorDialogRequest& request) = 0;
    // 1 OK, 6 Yes, 7 No.
    virtual qint16 messageBox(const MessageBoxRequest& request) = 0;
};

// Qt's own dialogs (never the desktop's native ones, so they look and behave
// the same everywhere, offscreen too), each moved to the middle of its
// centreOn rectangle when it shows.
class QtDialogProvider : public DialogProvider {
public:
    FileDialogResult fileDialog(const FileDialogRequest& request) override;
    ColorDialogResult colorDialog(const ColorDialogRequest& request) override;
    qint16 messageBox(const MessageBoxRequest& request) override;
};

// The provider in use: Qt's unless a test installed another.
DialogProvider& CurrentDialogProvider();
// Installs provider (not owned); null gives Qt's back.
void SetDialogProvider(DialogProvider* provider);

// The top-left corner that puts a dialog of the given outer rectangle in the
// middle of area: area's left + width / 2 - dialog width / 2 (and so for the
// top), each rounded to the nearest pixel, halves to even.
QPoint CenteredDialogPosition(const QRect& dialog, const QRect& area);
