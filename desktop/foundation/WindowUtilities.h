#pragma once

#include <QString>

class QCheckBox;
class QComboBox;
class QWidget;
class TelephonyControl;
class WaveControl;
class cTextBoxXP;

// The general utilities that work on the desktop's windows, lists and
// dialogs. They keep no state and report nothing: a failing step is skipped.

// Gives a control the name its window's code and tests know it by.
template<class W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A label's, button's or window's caption from the text table; an entry that
// is missing keeps the layout's.
void SetTranslatedCaption(QWidget* widget, int entry);

// The text as a unit that takes its direction from its own first letter, so
// a left-to-right text ("1 Month", a file name) keeps its order inside a
// right-to-left window, and a right-to-left one stays as it was.
QString WithOwnDirection(const QString& text);

// The product's message box: the text, the information icon, the title
// "Ringvale"; Yes and No, or a single OK; right to left when g_bRTL. The
// answer: 1 OK, 6 Yes, 7 No.
qint16 ShowMessage(const QString& text, bool yesNo);

// A save that failed: what, then why (SharedFile::lastWriteFailure), on
// standard error and in a message box.
void ShowWriteFailure(const QString& what);

// Gives the container's window the shape of the controls inside it (their
// union); with no control inside, the whole rectangle shows.
void SetFormRegionFromContainer(QWidget* container);

// Lists the line devices by name (only the recommended ones, which deliver
// caller ID, when asked), keeping the selected position. False when the list
// stays empty.
bool FillModemLineCombo(TelephonyControl& tapi, QComboBox* combo, bool recommendedOnly);

// Lists the sound devices that can play, the first one selected.
void FillSoundDeviceCombo(const WaveControl& wave, QComboBox* combo);

// Lists the names of the files that match pattern, a native folder and a
// wildcard ("<program folder>/Sound/*.wav"), in name order; selects the entry
// named select, or the first when select is empty.
void FillFileCombo(QComboBox* combo, const QString& pattern, const QString& select);

// Asks for a wave file and copies it into folder (a native path) under its
// own name, replacing one there. The file name, or empty when cancelled or
// when the copy failed.
QString AddSoundFile(QWidget* owner, const QString& folder);

// Asks where to save a copy of source (a native path), proposing its name,
// with the single filter for ext (no dot); the dialog asks before an
// existing file is replaced. With createEmpty the chosen name plus ".txt" is
// created empty instead (an existing one is left as it is). Nothing for an
// empty source or a cancelled dialog.
void SaveFileAs(const QString& source, QWidget* owner, const QString& ext, bool createEmpty);

// The balloon on the box: the text, the information icon and the title.
void ShowTextBoxBalloon(cTextBoxXP& box, const QString& title, const QString& text);

// Copies source over target through a temporary file and a rename, so a
// failed copy leaves target whole; a file copied onto itself stays as it is.
// False when nothing was copied.
bool CopyFileReplacing(const QString& source, const QString& target);

// A check box's stored value: "0" clear, "1" ticked, "2" grey.
QString StoredCheckState(const QCheckBox* box);
// Sets the box from its stored value: "0", "1" or "2"; anything else (a
// missing value too) leaves the box as it is.
void LoadCheckState(QCheckBox* box, const QString& stored);

// Enables or disables a text box (line or multi-line) that an enabling rule
// governs: disabled it takes the colour of button faces, enabled that of
// window backgrounds again.
void SetTextBoxEnabled(QWidget* box, bool enabled);
