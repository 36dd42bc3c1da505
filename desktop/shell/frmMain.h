#pragma once

#include "common/RegistryRoutines.h"
#include "desktop/settings/MainDevices.h"
#include "desktop/shell/LineEventSurfaces.h"
#include "desktop/shell/MainWindowFrame.h"
#include "platform/widgets/KeyedPopupMenu.h"

#include <QList>
#include <QMainWindow>
#include <QTimer>

#include <memory>

class QAction;
class QActionGroup;
class QFrame;
class QLabel;
class QMenuBar;
class QProgressBar;
class QToolBar;
class QToolButton;
class CallsList;
class ProcServiceSwitch;
class TelephonyControl;
class WaveControl;
class frmProc;
class vbalGrid;

// The desktop's main window: the menu bar and the main toolbar in the top
// strip, the details pane of the current call, the folder toolbar, the call
// list and the status bar, with the tray icon. Closing it hides it to the
// tray; only ExitApp ends the program. Geometry that is stored or designed in
// twips converts at 15 to the pixel.
class frmMain : public QMainWindow, public MainWindowFrame, public MainDevices, public LineEventSurfaces {
    Q_OBJECT
public:
    static constexpr int kTwipsPerPixel = 15;
    static constexpr int kDefaultWidthTwips = 9495;
    static constexpr int kDefaultHeightTwips = 7380;
    static constexpr int kPaneHeightTwips = 1455;
    // Below this the status panels overlap and the list has no room.
    static constexpr int kMinimumWidth = 520;
    static constexpr int kMinimumHeight = 400;
    static constexpr int kBlinkMs = 700;
    static constexpr int kClockMs = 1000;
    static constexpr int kBalloonMs = 30000;

    frmMain();
    ~frmMain() override;

    // MainWindowFrame
    void Load(bool shown) override;
    void ShowWindow() override;
    void HideWindow() override;
    void ShowMinimized() override;
    bool IsWindowVisible() const override { return isVisible(); }
    frmSysTray& SysTray() override { return *m_frmSysTray; }
    void ExitApp() override;

    // MainWindowSurfaces
    void SetPanelText(qint32 n, const QString& text) override;
    void SetNoItemsVisible(bool visible) override;
    qint32 ProgressMinimum() const override;
    void SetProgressMinimum(qint32 value) override;
    qint32 ProgressMaximum() const override;
    void SetProgressMaximum(qint32 value) override;
    qint32 ProgressValue() const override;
    void SetProgressValue(qint32 value) override;
    void SetProgressVisible(bool visible) override;
    void MakeEditMenuEna(bool bEna) override;

    // MainDevices: the window's own line and wave controls.
    TelephonyControl& Tapi1() override;
    WaveControl& Wave1() override;

    QString PanelText(qint32 n) const;

    // The load's steps that tests look at on their own.
    void RestoreWindowPlacement();
    void RestoreSort();
    void Form_Resize();

    // The call list with its folder toolbar; there once the window loaded.
    CallsList* CallsList1() const { return m_callsList.get(); }
    // The call list's header click and folder toolbar, as the menus and the
    // hub reach them.
    void vbalGrid1_ColumnClick(qint32 column);
    void cToolbar2_ButtonClick(qint32 lButton);

    // Tray, blink, clock and details pane.
    void DisplayBallonCallSetails(const QString& sTitle, const QString& sMsg) override;
    void RestoreTrayIcon();
    void m_frmSysTray_SysTrayMouseDown(qint32 button);
    void m_frmSysTray_SysTrayMouseUp(qint32 button);
    void m_frmSysTray_BalloonClicked();
    void tmrBlink_Timer();
    void tmrStatus_Timer();
    void PicCallDetails_MouseDown(const QPoint& globalPosition);

    // LineEventSurfaces (frmMainCalls.cpp)
    void SetCallDetail(Detail which, const QString& text) override;
    bool SetCallerPicture(const QString& path) override;
    bool IsMinimizedWindow() const override { return isMinimized(); }
    void StartBlink() override;
    void ShowRecentCalls() override { cToolbar2_ButtonClick(0); }
    void SetLineButton(const QString& caption) override;
    void SetLineButtonImage(qint32 image) override;
    void SetLineMarks(bool open, bool closed) override;
    // The line button's picture: 0 open, 1 closed (the look until the first
    // line state arrives).
    qint32 LineButtonImage() const { return m_lineButtonImage; }

    // The main toolbar and the line button's arrow.
    void cToolbar1_ButtonClick(qint32 lButton);
    void cToolbar1_PointerReset();

    KeyedPopupMenu m_cMenu;
    QTimer tmrBlink;
    QTimer tmrStatus;
    bool m_bTrayIconHidden = false;
    frmProc* hub() const { return m_hub.get(); }

    // The regions, top to bottom.
    QWidget* picHolder = nullptr;
    QToolBar* bandMenuBar = nullptr; // band "MenuBar"
    QMenuBar* tbrMenu = nullptr;
    QToolBar* cToolbar1 = nullptr; // band "Toolbar1"
    QList<QAction*> toolbar1Buttons;
    QFrame* PicCallDetails = nullptr;
    QLabel* lblMainDate = nullptr;
    QLabel* lblMainTime = nullptr;
    QLabel* lblMainCallerName = nullptr;
    QLabel* lblMainCallerNumber = nullptr;
    QLabel* lblMainContactName = nullptr;
    QLabel* lblMainRingNum = nullptr;
    QLabel* imgMainCallerPic = nullptr;
    QWidget* picCallsList = nullptr;
    QToolBar* cToolbar2 = nullptr; // band "Toolbar2"
    QList<QAction*> toolbar2Buttons;
    vbalGrid* vbalGrid1 = nullptr;
    QWidget* picNoItems = nullptr;
    QLabel* lblNoItems = nullptr;
    QProgressBar* vbalProgressBar1 = nullptr;

    // The details pane's colours: designed, or stored under Events\Advanced.
    QColor PaneBackColour() const;
    QColor PaneTextColour() const;
    void SetPaneColours(const QColor& back, const QColor& text) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildRegions();
    void BuildBars();
    void BuildPanels();
    // A pane label shows its whole text when it fits before the next column
    // (or the pane's edge), else the text cut with an ellipsis and the whole
    // text as its tooltip.
    void FitPaneLabel(QLabel* label);
    void ReadOptions();
    void ApplyPaneColours();
    void PickPaneColour(bool background);
    // The menu commands: one row per key, compared exactly; the first row
    // whose key is the clicked item's runs, and nothing else does.
    struct MenuCommand {
        const char16_t* key;
        void (*run)(frmMain&);
    };
    static const QList<MenuCommand>& MenuCommands();
    void m_cMenu_Click(qint32 itemNumber);
    void ExitWithNote();
    void MoveSelectedCall(qint32 step);
    void EditCallContact();
    void Form_Unload();
    static QString TodayKey();

    RegistryRoutines m_reg;
    std::unique_ptr<frmSysTray> m_frmSysTray;
    std::unique_ptr<frmProc> m_hub;
    std::unique_ptr<ProcServiceSwitch> m_serviceSwitch;
    std::unique_ptr<CallsList> m_callsList;
    TelephonyControl* m_tapi = nullptr;
    WaveControl* m_wave = nullptr;
    QList<QLabel*> m_panels;
    QActionGroup* m_folderGroup = nullptr;
    qint32 m_lineButtonImage = 1;
    bool m_bExitRequested = false;
    bool m_bExited = false;
};

// The line button's pictures by freedesktop name: 0 open, 1 closed.
inline constexpr const char* kLinePictures[] = {"call-start", "call-stop"};

// Twips of a pixel count and back, at 15 to the pixel.
constexpr int PixelsFromTwips(qint64 twips)
{
    return static_cast<int>(twips / frmMain::kTwipsPerPixel);
}
constexpr qint64 TwipsFromPixels(int pixels)
{
    return static_cast<qint64>(pixels) * frmMain::kTwipsPerPixel;
}
