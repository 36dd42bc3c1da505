#pragma once

#include <QDialog>

class ClickLabel;
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
    ClickLabel* lblURL = nullptr;
    ClickLabel* lblNotice = nullptr;
    ClickLabel* lblProduct = nullptr;
    ClickLabel* lblMailSupport = nullptr;
    ClickLabel* lblCheckForNewVersion = nullptr;
    QPushButton* cmdOK = nullptr;

private:
    // A label, not a button: a button lays its text out after the program's
    // direction, and the box must look the same in every language.
    ClickLabel* link(const QString& name, const QString& text, QString (*address)());
};
