#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QPushButton;
class QStatusBar;
class QTableWidget;

// The translation editor ("Translator"): a source translation beside the
// target being edited, entry by entry, and the target's creation, renaming
// and deletion. Fixed English texts, never mirrored; made at each opening.
class frmTranser : public QDialog {
    Q_OBJECT
public:
    explicit frmTranser(QWidget* parent = nullptr);

    // Reloads the grid from the two listed translations and selects row
    // (from 1); the target's 1000 lines go into the edit buffer.
    void FillTable(int lRowNum);
    // Refills both lists from the folder; an empty name selects the first.
    void SetCmbs(const QString& sSuorce, const QString& sTras);
    static bool IsRTL(const QString& sTrans);
    static bool TransEditable(const QString& sTrans);

    void cmdLoad_Click();
    void cmdNew_Click();
    void cmdEdit_Click();
    void cmdDelete_Click();
    void cmdEditValue_Click();
    // row from 1.
    void vbalGrid1_DblClick(int row);

    QLabel* lblSource = nullptr;
    QComboBox* cmbSource = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* cmbTrans = nullptr;
    QPushButton* cmdLoad = nullptr;
    QPushButton* cmdNew = nullptr;
    QPushButton* cmdEdit = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdEditValue = nullptr;
    QTableWidget* vbalGrid1 = nullptr;
    QStatusBar* vbalStatusBar1 = nullptr;
};
