#include "desktop/calls/frmSearch.h"

#include "desktop/calls/CallsList.h"
#include "desktop/calls/Twips.h"
#include "desktop/calls/frmCallDetails.h"
#include "desktop/foundation/CallRows.h"
#include "desktop/foundation/CallSearch.h"
#include "desktop/foundation/MainWindowSurfaces.h"
#include "desktop/foundation/Translation.h"
#include "desktop/foundation/WindowUtilities.h"
#include "desktop/foundation/mdlFunctions.h"
#include "platform/grid/vbalGrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>

using Twips::px;

namespace {

constexpr int kStatusHeight = 22;

// The picture's walk through picFolder, in twips: each place leads to the next.
const QPoint kWalk[] = {QPoint(100, 120), QPoint(300, 120), QPoint(150, 250)};

// A magnifying glass, the picture that walks while a search runs.
QPixmap magnifier()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x20, 0x40, 0x80), 2));
    painter.setBrush(QColor(0xd0, 0xe8, 0xff));
    painter.drawEllipse(QRectF(2, 2, 8, 8));
    painter.setPen(QPen(QColor(0x60, 0x40, 0x20), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(10, 10), QPointF(14, 14));
    return pixmap;
}

} // namespace

// The search writes its count into panel 1 as into the main window's bar.
class frmSearch::StatusPanel final : public RecordedMainWindow {
public:
    explicit StatusPanel(QLabel* panel)
        : m_panel(panel)
    {
    }
    void SetPanelText(qint32 n, const QString& text) override
    {
        if (n == 1)
            m_panel->setText(text);
    }

private:
    QLabel* m_panel;
};

frmSearch::frmSearch(QWidget* owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("frmSearch"));
    Form_Load();
}

frmSearch::~frmSearch()
{
    // A search on the stack of this window is stopped before it goes.
    if (m_searching)
        StopCallSearch(*vbalGrid1);
}

void frmSearch::Form_Load()
{
    resize(px(8070), px(6045));
    Picture1 = named(new QWidget(this), "Picture1");
    Picture1->setGeometry(0, px(120), px(8055), px(2295));
    const auto label = [this](const char* name, int left, int top) {
        auto* l = named(new QLabel(Picture1), name);
        l->setGeometry(px(left), px(top), px(2535), px(240));
        return l;
    };
    const auto box = [this](const char* name, int left, int top, int width) {
        auto* b = named(new QLineEdit(Picture1), name);
        b->setGeometry(px(left), px(top), px(width), px(350));
        b->installEventFilter(this);
        return b;
    };
    const auto button = [this](const char* name, int top) {
        auto* b = named(new QPushButton(Picture1), name);
        b->setGeometry(px(6120), px(top), px(1695), px(375));
        b->setAutoDefault(false);
        return b;
    };
    lblCallerName = label("lblCallerName", 240, 240);
    txtCallerName = box("txtCallerName", 240, 480, 2535);
    lblCallerNumber = label("lblCallerNumber", 3240, 240);
    txtCallerNumber = box("txtCallerNumber", 3240, 480, 2535);
    lblCallNotes = label("lblCallNotes", 240, 960);
    txtNotes = box("txtNotes", 240, 1200, 5535);
    chkWithFlag = named(new QCheckBox(Picture1), "chkWithFlag");
    chkWithFlag->setGeometry(px(240), px(1680), px(2520), px(255));
    chkWithFlag->installEventFilter(this);
    cmdSearch = button("cmdSearch", 240);
    cmdStop = button("cmdStop", 720);
    cmdNew = button("cmdNew", 1200);
    cmdStop->setEnabled(false);
    picFolder = named(new QWidget(Picture1), "picFolder");
    picFolder->setGeometry(px(6480), px(1680), px(660), px(540));
    imgSearch = named(new QLabel(picFolder), "imgSearch");
    imgSearch->setPixmap(magnifier());
    m_imgAt = kWalk[0];
    imgSearch->setGeometry(px(m_imgAt.x()), px(m_imgAt.y()), px(240), px(240));
    picFolder->hide();
    setTabOrder(txtCallerName, txtCallerNumber);
    setTabOrder(txtCallerNumber, txtNotes);
    setTabOrder(txtNotes, chkWithFlag);

    vbalGrid1 = named(new vbalGrid(this), "vbalGrid1");
    vbalStatusBar1 = named(new QStatusBar(this), "vbalStatusBar1");
    panel1 = named(new QLabel(vbalStatusBar1), "panel1");
    vbalStatusBar1->addWidget(panel1, 1);
    m_status = std::make_unique<StatusPanel>(panel1);
    Timer1.setInterval(600);
    connect(&Timer1, &QTimer::timeout, this, &frmSearch::Timer1_Timer);
    connect(cmdSearch, &QPushButton::clicked, this, &frmSearch::cmdSearch_Click);
    connect(cmdStop, &QPushButton::clicked, this, &frmSearch::cmdStop_Click);
    connect(cmdNew, &QPushButton::clicked, this, &frmSearch::cmdNew_Click);
    connect(vbalGrid1, &vbalGrid::DblClick, this, [this] { vbalGrid1_DblClick(); });
    connect(vbalGrid1, &vbalGrid::RedrawOn, this, [this] { vbalGrid1->SetRedraw(true); });

    if (g_bRTL()) {
        setLayoutDirection(Qt::RightToLeft);
        for (QLabel* l : {lblCallerName, lblCallerNumber, lblCallNotes})
            l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        chkWithFlag->setLayoutDirection(Qt::RightToLeft);
    }
    SetTranslatedCaption(this, 151);
    SetTranslatedCaption(lblCallerName, 153);
    SetTranslatedCaption(lblCallerNumber, 154);
    SetTranslatedCaption(lblCallNotes, 155);
    SetTranslatedCaption(chkWithFlag, 156);
    SetTranslatedCaption(cmdSearch, 158);
    SetTranslatedCaption(cmdStop, 159);
    SetTranslatedCaption(cmdNew, 160);
    SetCallsHeaders();
    showCount(0);
    m_bDetailsOpened = false;
    vbalGrid1->SetRedraw(true);
}

void frmSearch::SetCallsHeaders()
{
    ::SetCallsHeaders(*vbalGrid1, CallGrid::Search);
}

void frmSearch::showCount(qint32 count)
{
    panel1->setText(ReplacePlaceholder(g_sTrans(161), QString::number(count)));
}

QString frmSearch::PanelText() const
{
    return panel1->text();
}

void frmSearch::setSearching(bool searching)
{
    m_searching = searching;
    for (QWidget* w :
        {static_cast<QWidget*>(txtCallerName), static_cast<QWidget*>(txtCallerNumber),
            static_cast<QWidget*>(txtNotes), static_cast<QWidget*>(cmdNew), static_cast<QWidget*>(cmdSearch)})
        w->setEnabled(!searching);
    cmdStop->setEnabled(searching);
    if (searching)
        Timer1.start();
    else
        Timer1.stop();
}

void frmSearch::cmdSearch_Click()
{
    SearchCriteria criteria;
    criteria.name = txtCallerName->text();
    criteria.number = txtCallerNumber->text();
    criteria.notes = txtNotes->text();
    criteria.flagOnly = chkWithFlag->isChecked();
    // Enter in the flag box reaches here while a search runs: it would walk
    // the same grid a second time inside the first.
    if (m_searching || m_unloaded)
        return;
    if (criteria.name.isEmpty() && criteria.number.isEmpty() && criteria.notes.isEmpty())
        return;
    picFolder->show();
    setSearching(true);
    // Position 0 is the whole \Data tree; this window has no recordings filter.
    const std::optional<qint32> found = StartCallSearch(*vbalGrid1, 0, criteria, *m_status);
    setSearching(false);
    vbalGrid1->SetRedraw(true);
    if (found)
        showCount(*found);
    if (m_closeAfterSearch)
        done(m_closeResult);
}

void frmSearch::cmdStop_Click()
{
    StopCallSearch(*vbalGrid1);
    cmdSearch->setEnabled(true);
    cmdStop->setEnabled(false);
    cmdNew->setEnabled(true);
    Timer1.stop();
}

void frmSearch::cmdNew_Click()
{
    txtCallerName->clear();
    txtCallerNumber->clear();
    txtNotes->clear();
    vbalGrid1->Clear();
    showCount(0);
    picFolder->hide();
}

void frmSearch::Timer1_Timer()
{
    for (int k = 0; k < 3; ++k) {
        if (m_imgAt == kWalk[k]) {
            m_imgAt = kWalk[(k + 1) % 3];
            imgSearch->move(px(m_imgAt.x()), px(m_imgAt.y()));
            return;
        }
    }
}

void frmSearch::vbalGrid1_DblClick()
{
    if (vbalGrid1->Rows() < 1 || vbalGrid1->SelectedRow() < 1)
        return;
    frmCallDetails details(this);
    details.SetGrid(vbalGrid1);
    m_bDetailsOpened = true;
    details.exec();
}

bool frmSearch::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress
        && (watched == txtCallerName || watched == txtCallerNumber || watched == txtNotes
            || watched == chkWithFlag)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            cmdSearch_Click();
    }
    return QDialog::eventFilter(watched, event);
}

void frmSearch::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    const int top = px(2520);
    vbalGrid1->setGeometry(0, top, qMax(0, width() - px(100)), qMax(0, height() - top - kStatusHeight - 4));
    vbalStatusBar1->setGeometry(0, height() - kStatusHeight, width(), kStatusHeight);
    if (g_bRTL())
        Picture1->move(width() - Picture1->width(), Picture1->y());
}

void frmSearch::done(int result)
{
    if (m_searching) {
        // Stopped here, closed when the search has unwound.
        cmdStop_Click();
        m_closeAfterSearch = true;
        m_closeResult = result;
        hide();
        return;
    }
    if (!m_unloaded)
        Form_Unload();
    QDialog::done(result);
}

void frmSearch::Form_Unload()
{
    m_unloaded = true;
    // Notes, flags and read marks changed in the details window show in the
    // main list.
    if (m_bDetailsOpened) {
        if (CallsList* list = MainCallsList())
            list->Reload();
    }
}
