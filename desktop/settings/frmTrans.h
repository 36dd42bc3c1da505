#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class frmTranser;

// One entry of the translation editor: OK stores the text at its code and
// saves the target translation at once; Close stores nothing.
class frmTrans : public QDialog {
    Q_OBJECT
public:
    explicit frmTrans(frmTranser* editor);

    void cmdOK_Click();
    void cmdCancel_Click() { reject(); }

    // The editor's row the entry came from, selected again after the save.
    int lSelectedRowNum = 1;

    QLabel* lblCode = nullptr;
    QLabel* lblCat = nullptr;
    QPlainTextEdit* txtSrc = nullptr;
    QPlainTextEdit* txtTrn = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    frmTranser* m_editor;
};
