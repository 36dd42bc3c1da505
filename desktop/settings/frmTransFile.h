#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLineEdit;
class QPushButton;
class frmTranser;

// The translation editor's name dialog: a new user translation ("NEW"), or
// the target renamed and its direction set ("EDIT").
class frmTransFile : public QDialog {
    Q_OBJECT
public:
    explicit frmTransFile(frmTranser* editor);

    void cmdOK_Click();
    void cmdCancel_Click() { reject(); }

    // False with nothing written when the file cannot be made.
    bool CreateTranslationFile(const QString& name);
    // The new file is written whole before the old one goes, so a failure
    // loses nothing. False when nothing was moved.
    bool RenameTranslationFile(const QString& oldName, const QString& newName);

    QString sNewOrEdit;
    QString sOriginalTransName;

    QLineEdit* txtTransFileName = nullptr;
    QCheckBox* chkRTL = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    frmTranser* m_editor;
};
