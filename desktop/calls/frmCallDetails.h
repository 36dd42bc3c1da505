#pragma once

#include "desktop/calls/CallGridActions.h"
#include "desktop/foundation/cTextBoxXP.h"

#include <QDialog>
#include <QList>
#include <QPointer>

#include <optional>

class ClickLabel;
struct ContactRecord;
class KeyedPopupMenu;
class QAction;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPlainTextEdit;
class QToolBar;
class TypingLimit;
class vbalGrid;

// One call of a call grid (the main list or the search results) with its
// note, its caller's contact, and Prev and Next through the grid's rows.
// Made for one opening (SetGrid, then exec) and destroyed after it; while
// it lives it is the loaded "frmCallDetails". The note is written back to
// the call the window shows, at every step and when it closes, and never to
// a call a reload of the grid has put in its place.
class frmCallDetails : public QDialog {
    Q_OBJECT
public:
    // Toolbar positions (2 is the separator).
    enum Button { btnPrev = 0, btnNext = 1, btnContact = 3 };

    explicit frmCallDetails(QWidget* owner = nullptr);
    ~frmCallDetails() override;

    // Takes the grid (not owned), shows its selected call and sets Prev and Next.
    void SetGrid(vbalGrid* grid);
    // Shows the grid's selected row; a grid without rows closes the window.
    void ShowCall();
    // The contact of the shown call's number: name, picture, balloon text.
    Q_INVOKABLE void GetContact();
    // Writes the note box back to the shown call and its row.
    void SaveNote();
    void SetNavButtons(qint32 current, qint32 count);
    void cToolbar1_ButtonClick(qint32 index);
    void m_cMenu_Click(qint32 itemNumber);
    void lblContactInf_Click();
    // The pointer entered the contact label: the balloon, once per entry.
    void lblContactInf_MouseMove();
    // The pointer crossed the background or a panel.
    void Form_MouseMove();

    // The contact balloon's text: handling, events and actions lines, then
    // the notes when there are any.
    static QString ContactInfoText(const ContactRecord& contact);

    // Does nothing once the window has closed itself (a grid without rows).
    int exec() override;
    void done(int result) override;

    // The record number of the contact shown, -1 for none.
    qint32 ContactIndex() const { return m_lContactIndex; }
    QString ContactInfo() const { return m_sContactInfo; }

    QWidget* picHolder = nullptr;
    QMenuBar* tbrMenu = nullptr;
    QToolBar* cToolbar1 = nullptr;
    QList<QAction*> toolbarButtons; // by index, the separator included
    KeyedPopupMenu* m_cMenu = nullptr;
    QWidget* tabTitels = nullptr;
    QWidget* tabDetails = nullptr;
    QWidget* tabContactPic = nullptr;
    QLabel* lblFrom = nullptr;
    QLabel* lblReceive = nullptr;
    QLabel* lblNotes = nullptr;
    QLabel* lblContact = nullptr;
    QLabel* lblFromInf = nullptr;
    QLabel* lblReceiveInf = nullptr;
    QPlainTextEdit* txtNote = nullptr;
    ClickLabel* lblContactInf = nullptr;
    QLineEdit* txtBallon = nullptr;
    QLabel* imgContact = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void CreateMenu();
    void layOut();
    void SetLabelsBold(bool bold);
    void Form_Unload();
    void step(qint32 by);
    QString cellText(qint32 column) const;

    QPointer<vbalGrid> oGrid;
    // The call on show and the row it was on, for the write-back.
    std::optional<ShownCall> m_shown;
    qint32 m_shownRow = 0;
    QString m_callerName; // columns 11 and 12 of the call on show
    QString m_callerNumber;
    qint32 m_lContactIndex = -1;
    QString m_sContactInfo;
    bool m_bBalloonShown = false;
    cTextBoxXP m_cBalloon;
    bool m_unloaded = false;
};
