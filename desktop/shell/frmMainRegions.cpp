// The main window's regions, bars and panels, their layout, the placement
// and the call list's sort.
#include "desktop/shell/frmMain.h"

#include "common/Clock.h"
#include "common/DataPaths.h"
#include "common/DateTimeText.h"
#include "desktop/calls/CallsList.h"
#include "desktop/foundation/CallRows.h"
#include "desktop/foundation/StoredColour.h"
#include "desktop/foundation/ThemeIcons.h"
#include "desktop/foundation/Translation.h"
#include "desktop/shell/ShellGlobals.h"
#include "platform/grid/vbalGrid.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QProgressBar>
#include <QResizeEvent>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kCallsListHeightTwips = 495;
constexpr int kNoItemsWidthTwips = 4695;
constexpr int kNoItemsHeightTwips = 255;
constexpr int kNoItemsLabelLeftTwips = 120;
constexpr int kNoItemsLabelWidthTwips = 4605;
constexpr int kNoItemsLabelHeightTwips = 195;
constexpr int kPictureWidthTwips = 1455;
constexpr int kPictureHeightTwips = 960;
constexpr int kPanel1Width = 120;
constexpr int kPanel2Width = 150;
const QString kAdvanced = QStringLiteral("Events\\Advanced");

// The pane as it was designed: white text on a dark blue.
const QColor kDesignedBack(0x1f, 0x3a, 0x5f);
const QColor kDesignedText(Qt::white);

QLabel* paneLabel(QWidget* pane, const char* name, int leftTwips, int topTwips)
{
    auto* label = new QLabel(pane);
    label->setObjectName(QLatin1String(name));
    // Callers' names come from the telephone network: never rich text.
    label->setTextFormat(Qt::PlainText);
    QFont font(QStringLiteral("Tahoma"), 12);
    font.setBold(true);
    label->setFont(font);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->move(PixelsFromTwips(leftTwips), PixelsFromTwips(topTwips));
    return label;
}

QIcon toolbarPicture(const char* name, int side)
{
    return SizedThemeIcon(QString::fromLatin1(name), side);
}

} // namespace

void frmMain::BuildRegions()
{
    auto* client = new QWidget(this);
    setCentralWidget(client);

    picHolder = new QWidget(client);
    picHolder->setObjectName(QStringLiteral("picHolder"));
    auto* rebar = new QVBoxLayout(picHolder);
    rebar->setContentsMargins(0, 0, 0, 0);
    rebar->setSpacing(0);
    bandMenuBar = new QToolBar(picHolder);
    bandMenuBar->setObjectName(QStringLiteral("MenuBar"));
    tbrMenu = new QMenuBar(bandMenuBar);
    tbrMenu->setObjectName(QStringLiteral("tbrMenu"));
    tbrMenu->setNativeMenuBar(false);
    bandMenuBar->addWidget(tbrMenu);
    cToolbar1 = new QToolBar(picHolder);
    cToolbar1->setObjectName(QStringLiteral("Toolbar1"));
    rebar->addWidget(bandMenuBar);
    rebar->addWidget(cToolbar1);
    picHolder->installEventFilter(this);

    PicCallDetails = new QFrame(client);
    PicCallDetails->setObjectName(QStringLiteral("PicCallDetails"));
    PicCallDetails->setAutoFillBackground(true);
    PicCallDetails->resize(width(), PixelsFromTwips(kPaneHeightTwips));
    PicCallDetails->installEventFilter(this);
    lblMainDate = paneLabel(PicCallDetails, "lblMainDate", 240, 120);
    lblMainTime = paneLabel(PicCallDetails, "lblMainTime", 240, 600);
    lblMainCallerName = paneLabel(PicCallDetails, "lblMainCallerName", 2280, 120);
    lblMainCallerNumber = paneLabel(PicCallDetails, "lblMainCallerNumber", 2280, 600);
    lblMainContactName = paneLabel(PicCallDetails, "lblMainContactName", 5040, 120);
    lblMainRingNum = paneLabel(PicCallDetails, "lblMainRingNum", 5040, 600);
    imgMainCallerPic = new QLabel(PicCallDetails);
    imgMainCallerPic->setObjectName(QStringLiteral("imgMainCallerPic"));
    imgMainCallerPic->setGeometry(PixelsFromTwips(7440), PixelsFromTwips(120),
        PixelsFromTwips(kPictureWidthTwips), PixelsFromTwips(kPictureHeightTwips));
    imgMainCallerPic->setScaledContents(true);
    SetPaneColours(kDesignedBack, kDesignedText);

    picCallsList = new QWidget(client);
    picCallsList->setObjectName(QStringLiteral("picCallsList"));
    auto* callsBar = new QVBoxLayout(picCallsList);
    callsBar->setContentsMargins(0, 0, 0, 0);
    cToolbar2 = new QToolBar(picCallsList);
    cToolbar2->setObjectName(QStringLiteral("Toolbar2"));
    callsBar->addWidget(cToolbar2, 0, Qt::AlignTop);
    picCallsList->resize(width(), PixelsFromTwips(kCallsListHeightTwips));

    vbalGrid1 = new vbalGrid(client);
    vbalGrid1->setObjectName(QStringLiteral("vbalGrid1"));

    picNoItems = new QWidget(client);
    picNoItems->setObjectName(QStringLiteral("picNoItems"));
    picNoItems->setAutoFillBackground(true);
    QPalette white = picNoItems->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    picNoItems->setPalette(white);
    picNoItems->resize(PixelsFromTwips(kNoItemsWidthTwips), PixelsFromTwips(kNoItemsHeightTwips));
    lblNoItems = new QLabel(picNoItems);
    lblNoItems->setObjectName(QStringLiteral("lblNoItems"));
    lblNoItems->setAlignment(Qt::AlignCenter);
    lblNoItems->setGeometry(PixelsFromTwips(kNoItemsLabelLeftTwips), 2,
        PixelsFromTwips(kNoItemsLabelWidthTwips), PixelsFromTwips(kNoItemsLabelHeightTwips));
    picNoItems->hide();

    vbalProgressBar1 = new QProgressBar(this);
    vbalProgressBar1->setObjectName(QStringLiteral("vbalProgressBar1"));
    vbalProgressBar1->setVisible(false);
    statusBar()->addPermanentWidget(vbalProgressBar1);
    statusBar()->setSizeGripEnabled(true);
}

void frmMain::BuildBars()
{
    cToolbar1->setIconSize(QSize(32, 32));
    cToolbar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    const struct {
        const char* picture;
        QString caption;
    } buttons[] = {
        {kLinePictures[1], g_sTrans(101)},
        {"preferences-system-notifications",
            QStringLiteral("     ") + g_sTrans(104) + QStringLiteral("    ")},
        {"mail-forward", g_sTrans(105)},
        {"preferences-desktop-remote-desktop", g_sTrans(106)},
        {"x-office-address-book", g_sTrans(107)},
        {"system-search", g_sTrans(110)},
        {"preferences-system", g_sTrans(108)},
        {"text-x-generic", g_sTrans(109)},
    };
    qint32 index = 0;
    for (const auto& b : buttons) {
        QAction* action = cToolbar1->addAction(toolbarPicture(b.picture, 32), b.caption);
        action->setToolTip(QString());
        connect(action, &QAction::triggered, this, [this, index] { cToolbar1_ButtonClick(index); });
        toolbar1Buttons << action;
        ++index;
    }
    QAction* none = cToolbar1->addAction(QString());
    none->setEnabled(false);
    // An empty button has nothing to show: drawn, it only pushed the bar
    // into its overflow menu.
    none->setVisible(false);
    toolbar1Buttons << none;
    // The line button's arrow opens the line-state group.
    if (auto* line = qobject_cast<QToolButton*>(cToolbar1->widgetForAction(toolbar1Buttons.first()))) {
        line->setPopupMode(QToolButton::MenuButtonPopup);
        line->setMenu(m_cMenu.MenuOf(m_cMenu.IndexForKey(QStringLiteral("ON"))));
    }

    cToolbar2->setIconSize(QSize(16, 16));
    cToolbar2->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    cToolbar2->layout()->setContentsMargins(0, 0, 0, 0);
    m_folderGroup = new QActionGroup(this);
    m_folderGroup->setExclusive(true);
    const struct {
        const char* picture;
        QString caption;
        QString key;
    } folders[] = {
        {"document-open-recent", g_sTrans(123), g_sTrans(123)},
        {"x-office-calendar", g_sTrans(122), TodayKey()},
        {"folder", g_sTrans(125), QStringLiteral("\\Data\\Log\\")},
        {"user-trash", QStringLiteral("   ") + g_sTrans(24) + QStringLiteral("  "), QString()},
    };
    index = 0;
    for (const auto& f : folders) {
        QAction* action = cToolbar2->addAction(toolbarPicture(f.picture, 16), f.caption);
        action->setData(f.key);
        if (index < 3) {
            action->setCheckable(true);
            m_folderGroup->addAction(action);
        }
        connect(action, &QAction::triggered, this, [this, index] { cToolbar2_ButtonClick(index); });
        toolbar2Buttons << action;
        ++index;
    }
    bandMenuBar->setMinimumWidth(0);
}

void frmMain::BuildPanels()
{
    for (int n = 1; n <= 3; ++n) {
        auto* panel = new QLabel(this);
        panel->setObjectName(QStringLiteral("panel%1").arg(n));
        if (n == 1)
            panel->setMinimumWidth(kPanel1Width);
        if (n == 2)
            panel->setMinimumWidth(kPanel2Width);
        statusBar()->addWidget(panel, n == 3 ? 1 : 0);
        m_panels << panel;
    }
}

QString frmMain::TodayKey()
{
    return u'*' + DataPaths::dayFolderOf(Clock::instance().now().date());
}

void frmMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmMain::Form_Resize()
{
    // The top strip follows its bands' height.
    picHolder->setGeometry(0, 0, width(), picHolder->sizeHint().height());
    const qint64 W = TwipsFromPixels(width());
    const qint64 H = TwipsFromPixels(height());
    const qint64 holder = TwipsFromPixels(picHolder->height());
    PicCallDetails->setGeometry(0, PixelsFromTwips(holder), PixelsFromTwips(W), PicCallDetails->height());
    for (QLabel* label : {lblMainDate, lblMainTime, lblMainCallerName, lblMainCallerNumber,
             lblMainContactName, lblMainRingNum})
        FitPaneLabel(label);
    const qint64 listTop = holder + TwipsFromPixels(PicCallDetails->height());
    // The list covers the strip's lowest 150 twips: a folder bar the designed
    // height cannot hold above them makes the strip taller.
    picCallsList->setGeometry(0, PixelsFromTwips(listTop), picCallsList->width(),
        qMax(PixelsFromTwips(kCallsListHeightTwips), cToolbar2->sizeHint().height() + PixelsFromTwips(150)));
    const qint64 gridTop = listTop + TwipsFromPixels(picCallsList->height()) - 150;
    const qint64 gridWidth = W - 100;
    // Our height is the client area's: the main toolbar's height, which made
    // room for a frame and title bar counted in the height, would leave a
    // blank band between the list and the status bar.
    const qint64 gridHeight = H - (TwipsFromPixels(statusBar()->height()) + listTop + 340);
    // A height the list cannot take (a tiny window) leaves it as it was.
    const int newHeight = gridHeight > 0 ? PixelsFromTwips(gridHeight) : vbalGrid1->height();
    vbalGrid1->setGeometry(
        vbalGrid1->x(), PixelsFromTwips(gridTop), qMax(0, PixelsFromTwips(gridWidth)), newHeight);
    picNoItems->move(PixelsFromTwips(gridWidth / 2 - TwipsFromPixels(picNoItems->width()) / 2),
        PixelsFromTwips(gridTop + 800));
}

void frmMain::RestoreWindowPlacement()
{
    const QRect screen = (this->screen() ? this->screen() : QGuiApplication::primaryScreen())->geometry();
    qint64 left = 0, top = 0, w = 0, h = 0;
    qint32 state = 0;
    if (m_reg.getString(QStringLiteral("lWidth")).isEmpty()) {
        w = kDefaultWidthTwips;
        h = kDefaultHeightTwips;
        left = std::llround(TwipsFromPixels(screen.width()) / 2.0 - kDefaultWidthTwips / 2.0);
        top = std::llround(TwipsFromPixels(screen.height()) / 2.0 - kDefaultHeightTwips / 2.0);
    } else {
        const auto number = [this](const char* name) {
            bool ok = false;
            const qint64 value = m_reg.getString(QLatin1String(name)).trimmed().toLongLong(&ok);
            return ok ? value : 0;
        };
        left = number("lLeft");
        top = number("lTop");
        w = number("lWidth");
        h = number("lHeight");
        state = static_cast<qint32>(number("lState"));
    }
    if (state == 1)
        state = 0;
    move(screen.x() + PixelsFromTwips(left), screen.y() + PixelsFromTwips(top));
    resize(PixelsFromTwips(w), PixelsFromTwips(h));
    setWindowState(state == 2 ? Qt::WindowMaximized : Qt::WindowNoState);
}

void frmMain::RestoreSort()
{
    bool ok = false;
    const qint32 stored = m_reg.getString(QStringLiteral("lCol")).trimmed().toInt(&ok);
    lCol = ok && stored != 0 ? stored : 4;
    g_sColOrder
        = m_reg.getString(QStringLiteral("g_sColOrder")) == u"DESC" ? QString() : QStringLiteral("DESC");
    vbalGrid1_ColumnClick(lCol);
    vbalGrid1->SetRedraw(true);
}

void frmMain::vbalGrid1_ColumnClick(qint32 column)
{
    if (m_callsList)
        m_callsList->vbalGrid1_ColumnClick(column);
}

void frmMain::cToolbar2_ButtonClick(qint32 lButton)
{
    if (m_callsList)
        m_callsList->cToolbar2_ButtonClick(lButton);
}

QColor frmMain::PaneBackColour() const
{
    return PicCallDetails->palette().color(QPalette::Window);
}

QColor frmMain::PaneTextColour() const
{
    return lblMainCallerName->palette().color(QPalette::WindowText);
}

void frmMain::SetPaneColours(const QColor& back, const QColor& text)
{
    QPalette pane = PicCallDetails->palette();
    pane.setColor(QPalette::Window, back);
    PicCallDetails->setPalette(pane);
    for (QLabel* label : {lblMainDate, lblMainTime, lblMainCallerName, lblMainCallerNumber,
             lblMainContactName, lblMainRingNum}) {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, text);
        label->setPalette(p);
    }
}

void frmMain::ApplyPaneColours()
{
    const RegistryRoutines advanced = RegistryRoutines::forProduct(kAdvanced);
    SetPaneColours(ReadStoredColour(advanced, QStringLiteral("picBG")).value_or(PaneBackColour()),
        ReadStoredColour(advanced, QStringLiteral("picFont")).value_or(PaneTextColour()));
}
