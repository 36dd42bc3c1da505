#include "desktop/settings/frmTranser.h"

#include "common/RegistryRoutines.h"
#include "common/TranslationFile.h"
#include "desktop/foundation/Translation.h"
#include "desktop/foundation/WindowUtilities.h"
#include "desktop/settings/frmTrans.h"
#include "desktop/settings/frmTransFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>

#include <cstdio>

namespace {

enum Column { Code, Category, Source, Trans };

const QString kBasicRefused = QStringLiteral("Can't edit/delete basic translations");

// The first lines of a listed translation; fewer when it is short or unreadable.
QStringList headerLines(const QString& name, int count)
{
    const std::optional<QString> path = TranslationFile::pathFor(name);
    return path ? TranslationFile::readLines(*path, count).lines : QStringList();
}

QStringList allLines(const QString& name)
{
    QStringList lines = headerLines(name, TranslationFile::kLineCount);
    lines.resize(TranslationFile::kLineCount);
    return lines;
}

} // namespace

frmTranser::frmTranser(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmTranser"));
    setWindowTitle(QStringLiteral("Translator"));
    // Fixed English: the editor keeps left to right whatever the translation.
    setLayoutDirection(Qt::LeftToRight);

    lblSource = new QLabel(QStringLiteral("Source"), this);
    cmbSource = new QComboBox(this);
    Label1 = new QLabel(QStringLiteral("Trans"), this);
    cmbTrans = new QComboBox(this);
    cmdLoad = new QPushButton(QStringLiteral("Load"), this);
    cmdNew = new QPushButton(QStringLiteral("New"), this);
    cmdEdit = new QPushButton(QStringLiteral("Edit"), this);
    cmdDelete = new QPushButton(QStringLiteral("Delete"), this);
    cmdEditValue = new QPushButton(QStringLiteral("Edit Value"), this);
    vbalGrid1 = new QTableWidget(0, 4, this);
    vbalGrid1->setHorizontalHeaderLabels({QStringLiteral("Code"), QStringLiteral("Category"),
        QStringLiteral("Source"), QStringLiteral("Trans")});
    vbalGrid1->setColumnWidth(Code, 70);
    vbalGrid1->setColumnWidth(Category, 120);
    vbalGrid1->setColumnWidth(Source, 200);
    vbalGrid1->horizontalHeader()->setStretchLastSection(true);
    vbalGrid1->verticalHeader()->setVisible(false);
    vbalGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    vbalGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    vbalGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    vbalStatusBar1 = new QStatusBar(this);
    vbalStatusBar1->setSizeGripEnabled(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(lblSource, 0, 0);
    grid->addWidget(cmbSource, 0, 1);
    grid->addWidget(cmdLoad, 0, 2);
    grid->addWidget(Label1, 1, 0);
    grid->addWidget(cmbTrans, 1, 1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {cmdNew, cmdEdit, cmdDelete, cmdEditValue})
        buttons->addWidget(button);
    buttons->addStretch(1);
    grid->addLayout(buttons, 1, 2, 1, 2);
    grid->addWidget(vbalGrid1, 2, 0, 1, 4);
    grid->addWidget(vbalStatusBar1, 3, 0, 1, 4);
    grid->setColumnStretch(3, 1);
    resize(720, 480);

    connect(cmdLoad, &QPushButton::clicked, this, &frmTranser::cmdLoad_Click);
    connect(cmdNew, &QPushButton::clicked, this, &frmTranser::cmdNew_Click);
    connect(cmdEdit, &QPushButton::clicked, this, &frmTranser::cmdEdit_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmTranser::cmdDelete_Click);
    connect(cmdEditValue, &QPushButton::clicked, this, &frmTranser::cmdEditValue_Click);
    connect(vbalGrid1, &QTableWidget::cellDoubleClicked, this,
        [this](int row, int) { vbalGrid1_DblClick(row + 1); });

    SetCmbs(QString(), QString());
    const int inUse = cmbSource->findText(
        RegistryRoutines::forProduct(QStringLiteral("Language")).getString(QStringLiteral("Select")));
    if (inUse >= 0)
        cmbSource->setCurrentIndex(inUse);
    cmdLoad_Click();
}

void frmTranser::SetCmbs(const QString& sSuorce, const QString& sTras)
{
    cmbSource->clear();
    cmbTrans->clear();
    // Sorted as a person reads a list, whatever the folder's order.
    const QStringList names
        = QDir(g_sTransPath()).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    cmbSource->addItems(names);
    cmbTrans->addItems(names);
    const auto select = [](QComboBox* list, const QString& name) {
        const int at = name.isEmpty() ? -1 : list->findText(name);
        list->setCurrentIndex(at >= 0 ? at : (list->count() ? 0 : -1));
    };
    select(cmbSource, sSuorce);
    select(cmbTrans, sTras);
}

void frmTranser::FillTable(int lRowNum)
{
    const QStringList source = allLines(cmbSource->currentText());
    (void)g_sTransEdit().load(cmbTrans->currentText());
    vbalGrid1->setUpdatesEnabled(false);
    vbalGrid1->setRowCount(0);
    QString category;
    for (int code = TranslationFile::kDirectionLine + 1; code <= TranslationFile::kLineCount; ++code) {
        const QString& s = source.at(code - 1);
        if (s.isEmpty())
            continue;
        const int row = vbalGrid1->rowCount();
        vbalGrid1->insertRow(row);
        if (s.startsWith(QStringLiteral("''"))) {
            category = s;
            continue;
        }
        if (s == TranslationFile::kRightToLeft || s == TranslationFile::kLeftToRight)
            continue;
        const QString cells[] = {QString::number(code), category, s, g_sTransEdit().entry(code)};
        for (int column = Code; column <= Trans; ++column)
            vbalGrid1->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    if (lRowNum >= 1 && lRowNum <= vbalGrid1->rowCount())
        vbalGrid1->selectRow(lRowNum - 1);
    vbalGrid1->setUpdatesEnabled(true);
}

bool frmTranser::IsRTL(const QString& sTrans)
{
    const QStringList lines = headerLines(sTrans, TranslationFile::kDirectionLine);
    return lines.size() >= TranslationFile::kDirectionLine
        && lines.at(TranslationFile::kDirectionLine - 1) == TranslationFile::kRightToLeft;
}

bool frmTranser::TransEditable(const QString& sTrans)
{
    const QStringList lines = headerLines(sTrans, 1);
    return !lines.isEmpty() && lines.first() == TranslationFile::kUserMark;
}

void frmTranser::cmdLoad_Click()
{
    FillTable(1);
}

void frmTranser::cmdNew_Click()
{
    frmTransFile dialog(this);
    dialog.sNewOrEdit = QStringLiteral("NEW");
    dialog.exec();
}

void frmTranser::cmdEdit_Click()
{
    const QString target = cmbTrans->currentText();
    if (!TransEditable(target)) {
        ShowMessage(kBasicRefused, false);
        return;
    }
    frmTransFile dialog(this);
    dialog.sOriginalTransName = target;
    dialog.sNewOrEdit = QStringLiteral("EDIT");
    dialog.txtTransFileName->setText(target);
    dialog.chkRTL->setChecked(IsRTL(target));
    dialog.exec();
}

void frmTranser::cmdDelete_Click()
{
    const QString target = cmbTrans->currentText();
    if (!TransEditable(target)) {
        ShowMessage(kBasicRefused, false);
        return;
    }
    const std::optional<QString> path = TranslationFile::pathFor(target);
    if (!path || !QFile::remove(*path))
        std::fprintf(stderr, "Ringvale: cannot delete the translation %s\n", qPrintable(target));
    SetCmbs(cmbSource->currentText(), QString());
}

void frmTranser::cmdEditValue_Click()
{
    const QList<QTableWidgetSelectionRange> ranges = vbalGrid1->selectedRanges();
    if (!ranges.isEmpty())
        vbalGrid1_DblClick(ranges.first().topRow() + 1);
}

void frmTranser::vbalGrid1_DblClick(int row)
{
    const QTableWidgetItem* code = vbalGrid1->item(row - 1, Code);
    if (!code || code->text().isEmpty())
        return;
    const auto cell = [&](int column) {
        const QTableWidgetItem* item = vbalGrid1->item(row - 1, column);
        return item ? item->text() : QString();
    };
    frmTrans dialog(this);
    dialog.lblCode->setText(code->text());
    dialog.lblCat->setText(cell(Category));
    dialog.txtSrc->setPlainText(cell(Source));
    dialog.txtTrn->setPlainText(cell(Trans));
    dialog.lSelectedRowNum = row;
    vbalGrid1->selectRow(row - 1);
    dialog.exec();
}
