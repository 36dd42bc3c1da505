#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class KeyedPopupMenu;
class QAction;
class QWidget;
class frmDater;
class vbalGrid;

// The main window's call list: its grid (vbalGrid1), the folder toolbar
// (cToolbar2: 0 recent calls, 1 today, 2 a day picked in frmDater, 3
// delete) with the View menu's marks, the header sort and the clicks on
// rows. The main window holds one and hands it its controls.
class CallsList : public QObject {
    Q_OBJECT
public:
    // window: the main window (pointer, owner of the date picker); buttons:
    // the folder toolbar's four buttons, 0 to 2 checkable, 1 keyed "*" and
    // today's folder; menu: the window's menus ("Last", "Today", "Log",
    // "mnuCallslistRC"); openDetails shows the call details window modally
    // over the grid's current row.
    CallsList(QWidget& window, vbalGrid& grid, const QList<QAction*>& buttons, KeyedPopupMenu& menu,
        std::function<void()> openDetails);
    ~CallsList() override;

    // The grid's look and the thirteen columns; drawing stays off until the
    // next fill.
    void SetCallsHeaders();

    // The day folder the list shows, relative to the program folder
    // ("\Data\Log\2026\12\10\"); column 8 of each row takes it.
    QString SelectedTreeItem;

    // Lists the day folder sPath (SelectedTreeItem's absolute native path,
    // ending in "/"): one row per whole record of its Data file; a torn tail
    // is no call.
    void CreateCallsList(const QString& sPath);
    // Sets SelectedTreeItem to folder and lists it.
    void ShowDay(const QString& folder);
    // A day picked in the date picker: the picker's button stays down, since
    // the list no longer shows the recent calls.
    void PickDay(const QString& folder);
    // Whether the list shows folder's calls now (not the recent calls).
    bool ShowsDay(const QString& folder) const;
    // Lists again what the list shows: the recent calls, or its day.
    void Reload();

    void cToolbar2_ButtonClick(qint32 lButton);
    void vbalGrid1_ColumnClick(qint32 column);
    void vbalGrid1_DblClick();
    void vbalGrid1_ColumnSelect();
    void vbalGrid1_MouseDown();
    // Button 1 left, 2 right; x, y in twips within the grid.
    void vbalGrid1_MouseUp(qint32 button, float x, float y);

    // The date picker while it is open; null otherwise.
    frmDater* Dater() const;

private:
    void setMarks(qint32 pressed);

    QWidget& m_window;
    vbalGrid& m_grid;
    QList<QAction*> m_buttons;
    KeyedPopupMenu& m_menu;
    std::function<void()> m_openDetails;
    QPointer<frmDater> m_dater;
    // The day folder the rows come from; empty while the recent calls show.
    QString m_shownDay;
};

// The main window's list while it is there (windows that change calls ask
// it to list them again); null otherwise.
CallsList* MainCallsList();
