#include "desktop/calls/frmLog.h"

#include "common/JournalFormat.h"
#include "common/ProgramPath.h"
#include "desktop/calls/Twips.h"
#include "desktop/foundation/Translation.h"
#include "desktop/foundation/WindowUtilities.h"
#include "desktop/foundation/mdlJournals.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

using Twips::px;

frmLog::frmLog(QWidget* owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("frmLog"));
    Form_Load();
}

void frmLog::Form_Load()
{
    resize(px(9600), px(6600));
    lblDisplay = named(new QLabel(this), "lblDisplay");
    lblDisplay->setGeometry(px(120), px(120), px(2400), px(240));
    cmbWhatToShow = named(new QComboBox(this), "cmbWhatToShow");
    cmbWhatToShow->setGeometry(px(120), px(390), px(2400), px(360));
    lblCat = named(new QLabel(this), "lblCat");
    lblCat->setGeometry(px(120), px(840), px(2400), px(240));
    List1 = named(new QListWidget(this), "List1");
    List1->setGeometry(px(120), px(1080), px(2400), px(4500));
    lblDetails = named(new QLabel(this), "lblDetails");
    lblDetails->setGeometry(px(2620), px(840), px(4000), px(240));
    List2 = named(new QListWidget(this), "List2");
    List2->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    cmdDelete = named(new QPushButton(this), "cmdDelete");
    cmdDelete->setGeometry(px(2760), px(360), px(1455), px(375));
    cmdSaveAs = named(new QPushButton(this), "cmdSaveAs");
    cmdSaveAs->setGeometry(px(4320), px(360), px(1455), px(375));
    for (QPushButton* b : {cmdDelete, cmdSaveAs})
        b->setAutoDefault(false);

    // File names and journal lines are left-to-right texts: their lists keep
    // that direction in a right-to-left window, else times, colons and
    // extensions land at the wrong end.
    List1->setLayoutDirection(Qt::LeftToRight);
    List2->setLayoutDirection(Qt::LeftToRight);
    if (g_bRTL()) {
        setLayoutDirection(Qt::RightToLeft);
        cmbWhatToShow->setLayoutDirection(Qt::RightToLeft);
        for (QLabel* l : {lblCat, lblDetails, lblDisplay}) {
            l->setLayoutDirection(Qt::RightToLeft);
            l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
    }
    cmbWhatToShow->clear();
    for (int entry = 632; entry <= 635; ++entry)
        cmbWhatToShow->addItem(g_sTrans(entry));
    SetTranslatedCaption(lblDisplay, 636);
    SetTranslatedCaption(lblCat, 637);
    SetTranslatedCaption(lblDetails, 638);
    SetTranslatedCaption(cmdDelete, 640);
    SetTranslatedCaption(cmdSaveAs, 639);
    SetTranslatedCaption(this, 631);

    RangeForLog();

    connect(List1, &QListWidget::currentRowChanged, this, [this] { List1_Click(); });
    connect(cmbWhatToShow, &QComboBox::activated, this, [this] { cmbWhatToShow_Click(); });
    connect(cmdDelete, &QPushButton::clicked, this, &frmLog::cmdDelete_Click);
    connect(cmdSaveAs, &QPushButton::clicked, this, &frmLog::cmdSaveAs_Click);
    cmbWhatToShow->setCurrentIndex(0);
    cmbWhatToShow_Click();
}

void frmLog::cmbWhatToShow_Click()
{
    const qint16 kind = qint16(cmbWhatToShow->currentIndex());
    FillJournalList(*List1, kind);
    if (List1->count() == 0)
        List2->clear();
}

QString frmLog::selectedName() const
{
    const QListWidgetItem* item = List1->currentItem();
    return item ? item->text() : QString();
}

void frmLog::List1_Click()
{
    const QString name = selectedName();
    if (name.isEmpty())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    LoadJournalFile(*List2, name);
    SetListExtent();
    QApplication::restoreOverrideCursor();
}

void frmLog::SetListExtent()
{
    const QFontMetrics metrics(font());
    int widest = -1;
    QListWidgetItem* widestItem = nullptr;
    for (int row = 0; row < List2->count(); ++row) {
        QListWidgetItem* item = List2->item(row);
        const int width = metrics.horizontalAdvance(item->text());
        if (width > widest) {
            widest = width;
            widestItem = item;
        }
    }
    m_extent = widestItem ? widest + 50 : 0;
    // The list scrolls as far as its widest item reaches.
    if (widestItem)
        widestItem->setSizeHint(QSize(m_extent, metrics.height() + 2));
}

void frmLog::cmdDelete_Click()
{
    if (selectedName().isEmpty())
        return;
    if (DeleteSelectedJournal(*List1, *List2, qint16(cmbWhatToShow->currentIndex()), this)) {
        // The rebuilt list has its newest journal selected; its lines wait
        // for the user's pick.
        List2->clear();
        m_extent = 0;
    }
}

void frmLog::cmdSaveAs_Click()
{
    const QString name = selectedName();
    if (name.isEmpty())
        return;
    const std::optional<QString> path = ProgramPath::toNative(QString(JournalFormat::folder() + name));
    if (path && IsJournalName(name))
        SaveFileAs(*path, this, QStringLiteral("txt"), false);
}

void frmLog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    const QRect files = List1->geometry();
    const int height = qMax(0, this->height() - (files.top() + px(500)));
    List1->resize(files.width(), height);
    List2->setGeometry(files.right() + 1 + px(100), files.top(),
        qMax(0, width() - (files.left() + files.width() + px(200))), height);
}
