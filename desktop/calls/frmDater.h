#pragma once

#include <QWidget>

class CallsList;
class QCalendarWidget;

// The date picker: a small tool window without caption text holding one
// month calendar. A picked day lists that day's calls in the main window's
// list; the window stays open for further picks and remembers its place
// (Dater Left and Top, in twips) when it closes.
class frmDater : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTwipsPerPixel = 15;

    frmDater(CallsList& list, QWidget* owner);

    // Places the window at the stored edges, or centred on the screen.
    void Form_Load();
    // Writes Left and Top from where the window stands.
    void Form_Unload();
    void MonthCal1_DatePicked(const QDate& date);

    QCalendarWidget* MonthCal1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    CallsList& m_list;
    bool m_unloaded = false;
};
