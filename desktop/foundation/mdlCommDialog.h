#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// The desktop's Open, Save and Colour dialogs, each placed in the middle of
// its owner or of the screen. What the dialogs leave behind is kept for the
// program's whole run: the next Open starts with the last name chosen, the
// chosen filter is offered again, custom colours stay.

struct SelectedFiles {
    qint16 Count = 0; // 1 after a chosen file, 0 when cancelled
    QStringList Files; // the file's name without its folder
    QString Path; // the file's folder with its trailing separator; "" when cancelled
    bool Cancelled = true;
};

struct ColorChoice {
    qint32 Color = -1; // 0x00BBGGRR; -1 when cancelled
    bool Cancelled = true;
};

// Centre modes: on the owner window; anything else centres on the screen.
inline constexpr qint16 kCenterOnOwner = -1;
inline constexpr qint16 kCenterOnScreen = 0;

// Dialog flags that mean something here.
namespace OpenFileFlags {
inline constexpr qint32 OFN_OVERWRITEPROMPT = 0x2;
inline constexpr qint32 OFN_HIDEREADONLY = 0x4;
inline constexpr qint32 OFN_NOCHANGEDIR = 0x8;
inline constexpr qint32 OFN_CREATEPROMPT = 0x2000;
inline constexpr qint32 OFN_EXPLORER = 0x80000;
inline constexpr qint32 OFN_NODEREFERENCELINKS = 0x100000;
inline constexpr qint32 OFN_LONGNAMES = 0x200000;
// What every Open uses, whatever the caller set.
inline constexpr qint32 OpenDialog = 0x382004;
// What a Save uses when the caller left Flags at 0: asks before replacing.
inline constexpr qint32 SaveDialogDefault = 0x280006;
} // namespace OpenFileFlags

struct FileFilter {
    QString description; // "wav (*.wav)"
    QString pattern; // "*.wav", several joined by ";"
};

// Shared by Open and Save. The caller sets the filter and title (and for a
// Save the flags) before each dialog; everything else keeps what the last
// dialog left.
struct OpenFileName {
    QList<FileFilter> lpstrFilter;
    QString lpstrTitle;
    qint32 Flags = 0;
    qint32 nFilterIndex = 1; // the filter chosen last
    QString lpstrFile; // the last full name chosen, or a Save's proposed name
};
OpenFileName& g_OpenFileName();

// The 16 custom colours (0x00BBGGRR), seeded at the first Colour dialog.
const QList<qint32>& g_CustomColors();

// Choose an existing file. A name that does not exist is not accepted.
SelectedFiles ShowOpenDialog(QWidget* owner, qint16 centerMode);
// Choose a name to save under; defaultName is proposed.
SelectedFiles ShowSaveDialog(QWidget* owner, const QString& defaultName, qint16 centerMode);
// Choose a colour; every dialog starts with white.
ColorChoice ShowColorDialog(QWidget* owner, qint16 centerMode);

// The module as at the program's start (tests).
void ResetCommonDialogs();

// Qt's name filters for description/pattern pairs: "Pictures" with
// "*.jpg;*.png" gives "Pictures (*.jpg *.png)"; a description that already
// ends with its patterns in brackets is kept.
QStringList NameFiltersFor(const QList<FileFilter>& filters);

// Colours as the settings store them: 0x00BBGGRR.
QColor ColorFromColorRef(qint32 colorRef);
qint32 ColorRefFromColor(const QColor& color);
