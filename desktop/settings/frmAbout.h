#pragma once

#include <QDialog>

class QIcon;
class QLabel;
class QPushButton;

// The about box: the maker, the product and its version, and five links
// (the maker's site twice, the product page, support mail, the update
// check) handed to the address opener. Fixed English texts, never mirrored.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    // icon: the main window's.
    explicit frmAbout(const QIcon& icon, QWidget* parent = nullptr);

    QLabel* lblTitle = nullptr;
    QLabel* lblInfo = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblVersionVal = nullptr;
    QPushButton* lblURL = nullptr;
    QPushButton* lblNotice = nullptr;
    QPushButton* lblProduct = nullptr;
    QPushButton* lblMailSupport = nullptr;
    QPushButton* lblCheckForNewVersion = nullptr;
    QPushButton* cmdOK = nullptr;

private:
    QPushButton* link(const QString& name, const QString& text, QString (*address)());
};
