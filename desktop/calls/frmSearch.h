#pragma once

#include <QDialog>
#include <QTimer>

#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class vbalGrid;

// The call search: the stored calls below \Data whose caller name, number or
// note holds a text, optionally flagged only, listed as the main list lists
// calls (the day folder shown), opened in the call details window with a
// double click. The search runs inside the Search click and lets events
// run, so Stop, the picture's walk and the line events go on meanwhile.
class frmSearch : public QDialog {
    Q_OBJECT
public:
    explicit frmSearch(QWidget* owner = nullptr);
    ~frmSearch() override;

    void SetCallsHeaders();
    // Searches with the boxes' texts; nothing when all three are empty or a
    // search runs already.
    void cmdSearch_Click();
    void cmdStop_Click();
    void cmdNew_Click();
    void Timer1_Timer();
    void vbalGrid1_DblClick();

    bool IsSearching() const { return m_searching; }
    bool DetailsOpened() const { return m_bDetailsOpened; }
    QString PanelText() const;
    // Where imgSearch stands in picFolder, in twips.
    QPoint SearchPicturePosition() const { return m_imgAt; }

    // A search still running goes first: the window closes once it has
    // unwound.
    void done(int result) override;

    QWidget* Picture1 = nullptr;
    QLabel* lblCallerName = nullptr;
    QLineEdit* txtCallerName = nullptr;
    QLabel* lblCallerNumber = nullptr;
    QLineEdit* txtCallerNumber = nullptr;
    QLabel* lblCallNotes = nullptr;
    QLineEdit* txtNotes = nullptr;
    QCheckBox* chkWithFlag = nullptr;
    QPushButton* cmdSearch = nullptr;
    QPushButton* cmdStop = nullptr;
    QPushButton* cmdNew = nullptr;
    QWidget* picFolder = nullptr;
    QLabel* imgSearch = nullptr;
    vbalGrid* vbalGrid1 = nullptr;
    QStatusBar* vbalStatusBar1 = nullptr;
    QLabel* panel1 = nullptr;
    QTimer Timer1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    class StatusPanel;

    void Form_Load();
    void Form_Unload();
    void setSearching(bool searching);
    void showCount(qint32 count);

    std::unique_ptr<StatusPanel> m_status;
    bool m_searching = false;
    bool m_bDetailsOpened = false;
    bool m_unloaded = false;
    // A close asked for while the search ran, done once it has returned.
    bool m_closeAfterSearch = false;
    int m_closeResult = 0;
    QPoint m_imgAt;
};
