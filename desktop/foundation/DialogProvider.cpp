#include "desktop/foundation/DialogProvider.h"

#include "desktop/foundation/mdlFunctions.h"

#include <QColorDialog>
#include <QEvent>
#include <QFileDialog>
#include <QMessageBox>

namespace {

// Qt's custom-colour well is filled column by column, two rows of eight;
// the table is meant to be read row by row.
int customWell(int index)
{
    return (index % 8) * 2 + index / 8;
}

DialogProvider*& installedProvider()
{
    static DialogProvider* provider = nullptr;
    return provider;
}

// Places the dialog when it first shows, as the user first sees it.
class CentreOnShow : public QObject {
public:
    CentreOnShow(QWidget* dialog, const QRect& area)
        : QObject(dialog)
        , m_area(area)
    {
        dialog->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && m_area.isValid()) {
            auto* dialog = static_cast<QWidget*>(watched);
            dialog->move(CenteredDialogPosition(dialog->frameGeometry(), m_area));
            watched->removeEventFilter(this);
        }
        return false;
    }

private:
    QRect m_area;
};

} // namespace

QPoint CenteredDialogPosition(const QRect& dialog, const QRect& area)
{
    const double x = area.left() + area.width() / 2.0 - dialog.width() / 2.0;
    const double y = area.top() + area.height() / 2.0 - dialog.height() / 2.0;
    return QPoint(int(RoundHalfEven(x)), int(RoundHalfEven(y)));
}

DialogProvider& CurrentDialogProvider()
{
    static QtDialogProvider qtProvider;
    DialogProvider* provider = installedProvider();
    return provider ? *provider : qtProvider;
}

void SetDialogProvider(DialogProvider* provider)
{
    installedProvider() = provider;
}

FileDialogResult QtDialogProvider::fileDialog(const FileDialogRequest& request)
{
    QFileDialog dialog(request.owner, request.title);
    dialog.setObjectName(request.kind == FileDialogRequest::Open ? QStringLiteral("OpenDialog")
                                                                 : QStringLiteral("SaveDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The type list names the kinds; their patterns only filter.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    if (request.kind == FileDialogRequest::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    }
    if (!request.nameFilters.isEmpty()) {
        dialog.setNameFilters(request.nameFilters);
        dialog.selectNameFilter(
            request.nameFilters.value(request.filterIndex - 1, request.nameFilters.first()));
    }
    const QString start = request.startName.trimmed();
    if (!start.isEmpty())
        dialog.selectFile(start);
    new CentreOnShow(&dialog, request.centreOn);

    FileDialogResult result;
    result.filterIndex = request.filterIndex;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return result;
    result.accepted = true;
    result.path = dialog.selectedFiles().constFirst();
    const qsizetype filter = request.nameFilters.indexOf(dialog.selectedNameFilter());
    if (filter >= 0)
        result.filterIndex = int(filter) + 1;
    return result;
}

ColorDialogResult QtDialogProvider::colorDialog(const ColorDialogRequest& request)
{
    const int count = qMin(int(request.customColors.size()), QColorDialog::customCount());
    for (int i = 0; i < count && customWell(i) < QColorDialog::customCount(); ++i)
        QColorDialog::setCustomColor(customWell(i), request.customColors[i]);
    QColorDialog dialog(request.initial, request.owner);
    dialog.setObjectName(QStringLiteral("ColorDialog"));
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    new CentreOnShow(&dialog, request.centreOn);

    ColorDialogResult result;
    result.accepted = dialog.exec() == QDialog::Accepted;
    if (result.accepted)
        result.color = dialog.selectedColor();
    for (int i = 0; i < QColorDialog::customCount() && customWell(i) < QColorDialog::customCount(); ++i)
        result.customColors << QColorDialog::customColor(customWell(i));
    return result;
}

qint16 QtDialogProvider::messageBox(const MessageBoxRequest& request)
{
    QMessageBox box(QMessageBox::Information, request.title, request.text,
        request.yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, request.owner);
    box.setObjectName(QStringLiteral("MessageBox"));
    if (request.rightToLeft)
        box.setLayoutDirection(Qt::RightToLeft);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return 6;
    case QMessageBox::No:
        return 7;
    default:
        return request.yesNo ? 7 : 1;
    }
}
