#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

// The journal viewer: the journals of a kind, newest first, the chosen one's
// lines, Delete (asking first when the settings say so) and Save As (a
// copy). Each opening first purges the journals older than the retention
// setting keeps.
class frmLog : public QDialog {
    Q_OBJECT
public:
    explicit frmLog(QWidget* owner = nullptr);

    void cmbWhatToShow_Click();
    void List1_Click();
    void cmdDelete_Click();
    void cmdSaveAs_Click();
    // The contents list's scroll range: its widest line plus 50 pixels.
    int HorizontalExtent() const { return m_extent; }

    QLabel* lblDisplay = nullptr;
    QComboBox* cmbWhatToShow = nullptr;
    QLabel* lblCat = nullptr;
    QListWidget* List1 = nullptr;
    QLabel* lblDetails = nullptr;
    QListWidget* List2 = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdSaveAs = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Form_Load();
    void SetListExtent();
    QString selectedName() const;

    int m_extent = 0;
};
