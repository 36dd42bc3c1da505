#pragma once

#include <QString>

class frmContact;

// The one contact editor of the program: made hidden at the first use and
// kept until UnloadContactEditor.
frmContact& LoadContactEditor();
// The editor when it is loaded, else null.
frmContact* LoadedContactEditor();
// Closes the editor for good (the program ends; tests).
void UnloadContactEditor();

// Opens the stored contact named contactName for editing, to be saved back
// at record recordNumber; returns when the editor hides. The caller name and
// number are not used: the editor shows the stored ones. A name that no
// record bears any more is said, and no editor opens.
void OpenContactForEdit(
    const QString& contactName, qint32 recordNumber, const QString& callerName, const QString& callerNumber);

// Opens the editor for a new contact, each text that is not empty filling its
// box; returns when the editor hides.
void NewContact(const QString& callerName, const QString& callerNumber, const QString& contactName);
