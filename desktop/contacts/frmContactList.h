#pragma once

#include <QDialog>
#include <QList>

class KeyedPopupMenu;
class QAction;
class QStatusBar;
class QToolBar;
class vbalGrid;

// The contact list: one grid row per contact of Data/Contactes, in file order
// until a header click sorts it. Made at each opening and destroyed when it
// closes; it writes the file only through DeleteContactRecord.
class frmContactList : public QDialog {
    Q_OBJECT
public:
    // Grid columns: the two marks, the names and number, the three modes,
    // and the hidden record number.
    enum Column {
        colEmergency = 1,
        colPicture,
        colContactName,
        colCallerName,
        colCallerNumber,
        colHandling,
        colEvents,
        colActions,
        colRecord,
    };
    // imgContactList positions.
    enum Image {
        imgEmergency,
        imgPicture,
        imgDescending,
        imgAscending,
        imgEmergencyHeader,
        imgPictureHeader
    };
    // Toolbar button positions.
    enum Button { btnNew, btnEdit, btnDelete };
    // m_cMenu item numbers.
    enum MenuItem { mnuContact = 1, mnuEdit, mnuDelete, mnuPass2, mnuDialer, mnuSearch };

    explicit frmContactList(QWidget* parent = nullptr);
    ~frmContactList() override;

    // Rebuilds every row from the contact file and selects row lSelectedIndex
    // (a record number); 0 or less selects the first row, a number beyond the
    // last row nothing.
    Q_INVOKABLE void CreateList(qint32 lSelectedIndex);
    void cToolbar1_ButtonClick(qint32 position);
    void GridContactList_ColumnClick(qint32 column);
    void GridContactList_DblClick();
    // button 2 is the right button; x and y in twips within the grid.
    void GridContactList_MouseUp(qint32 button, qint32 shift, float x, float y);
    void m_cMenu_Click(qint32 itemNumber);

    QWidget* picHolder = nullptr;
    QToolBar* cToolbar1 = nullptr;
    QList<QAction*> toolbarButtons;
    vbalGrid* GridContactList = nullptr;
    QStatusBar* vbalStatusBar1 = nullptr;
    KeyedPopupMenu* m_cMenu = nullptr;

private:
    void Form_Load();
    void CreateContactMenu();
    void InitContactGrid();
    // The selected row's cell text; empty with no row selected.
    QString selectedText(Column column) const;
    void editSelected(qint32 recordNumber);
    void deleteSelected();
};

// Opens the contact list modally over owner (the toolbar's Contacts button and
// the menu's "Contacts" and "srContacts"); returns when it has closed and gone.
void ShowContactList(QWidget* owner);
