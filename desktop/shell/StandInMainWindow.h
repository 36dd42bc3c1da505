#pragma once

#include "desktop/shell/MainWindowFrame.h"
#include "platform/widgets/KeyedPopupMenu.h"

#include <QList>
#include <QMainWindow>

#include <memory>

class QLabel;
class QProgressBar;
class frmProc;
class ProcServiceSwitch;

// The main window until its frame is built: the menu bar, the status bar's
// panels, the tray icon and the hub. Its close box exits the program.
class StandInMainWindow : public QMainWindow, public MainWindowFrame {
    Q_OBJECT
public:
    StandInMainWindow();
    ~StandInMainWindow() override;

    void Load(bool shown) override;
    void ShowWindow() override;
    void HideWindow() override;
    void ShowMinimized() override;
    bool IsWindowVisible() const override { return isVisible(); }
    frmSysTray& SysTray() override { return *m_frmSysTray; }
    void ExitApp() override;

    void SetPanelText(qint32 n, const QString& text) override;
    void SetNoItemsVisible(bool) override { }
    qint32 ProgressMinimum() const override;
    void SetProgressMinimum(qint32 value) override;
    qint32 ProgressMaximum() const override;
    void SetProgressMaximum(qint32 value) override;
    qint32 ProgressValue() const override;
    void SetProgressValue(qint32 value) override;
    void SetProgressVisible(bool visible) override;
    void MakeEditMenuEna(bool bEna) override;

    KeyedPopupMenu m_cMenu;
    frmProc* hub() const { return m_hub.get(); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void m_cMenu_Click(qint32 itemNumber);

    std::unique_ptr<frmSysTray> m_frmSysTray;
    std::unique_ptr<frmProc> m_hub;
    std::unique_ptr<ProcServiceSwitch> m_serviceSwitch;
    QList<QLabel*> m_panels;
    QProgressBar* m_progress = nullptr;
    bool m_exiting = false;
};
