#include "desktop/calls/frmDater.h"

#include "common/DataPaths.h"
#include "common/RegistryRoutines.h"
#include "desktop/calls/CallsList.h"

#include <QCalendarWidget>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

#include <cmath>
#include <optional>

namespace {

const QString kDater = QStringLiteral("Dater");
constexpr int kCalendarOffsetTwips = -20;
constexpr int kExtraWidthTwips = 60;
constexpr int kExtraHeightTwips = 330;

int pixels(qint64 twips)
{
    return static_cast<int>(twips / frmDater::kTwipsPerPixel);
}

// A stored edge in whole twips; nullopt for empty text or text that is no
// number.
std::optional<qint64> storedTwips(const QString& text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::abs(value) > 1e9)
        return std::nullopt;
    return std::llround(value);
}

} // namespace

frmDater::frmDater(CallsList& list, QWidget* owner)
    : QWidget(owner, Qt::Tool)
    , m_list(list)
{
    setObjectName(QStringLiteral("frmDater"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString());
    MonthCal1 = new QCalendarWidget(this);
    MonthCal1->setObjectName(QStringLiteral("MonthCal1"));
    QFont font(QStringLiteral("Tahoma"));
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    font.setPointSizeF(8.25);
    MonthCal1->setFont(font);
    MonthCal1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    // The title's background, RGB(255, 128, 0).
    MonthCal1->setStyleSheet(QStringLiteral(
        "QCalendarWidget QWidget#qt_calendar_navigationbar { background-color: rgb(255, 128, 0); }"));
    connect(MonthCal1, &QCalendarWidget::clicked, this, &frmDater::MonthCal1_DatePicked);
    connect(MonthCal1, &QCalendarWidget::activated, this, &frmDater::MonthCal1_DatePicked);
}

void frmDater::Form_Load()
{
    const RegistryRoutines reg = RegistryRoutines::forProduct(kDater);
    MonthCal1->resize(MonthCal1->sizeHint());
    MonthCal1->move(pixels(kCalendarOffsetTwips), pixels(kCalendarOffsetTwips));
    // The window's outer size is the calendar's and 60 by 330 twips of a tool
    // window's frame; the client area is the calendar's.
    resize(MonthCal1->size() + QSize(pixels(kCalendarOffsetTwips), pixels(kCalendarOffsetTwips)));
    const QSize outer = MonthCal1->size() + QSize(pixels(kExtraWidthTwips), pixels(kExtraHeightTwips));

    const QScreen* screen = parentWidget() && parentWidget()->screen() ? parentWidget()->screen()
                                                                       : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    const QString leftText = reg.getString(QStringLiteral("Left"));
    const QString topText = reg.getString(QStringLiteral("Top"));
    qint64 left = (qint64(area.width()) - outer.width()) * kTwipsPerPixel / 2;
    qint64 top = (qint64(area.height()) - outer.height()) * kTwipsPerPixel / 2;
    if (!leftText.isEmpty() && !topText.isEmpty()) {
        left = storedTwips(leftText).value_or(left);
        top = storedTwips(topText).value_or(top);
    }
    move(area.x() + pixels(left), area.y() + pixels(top));
}

void frmDater::MonthCal1_DatePicked(const QDate& date)
{
    const QString folder = DataPaths::dayFolderOf(date);
    // The same day again reloads nothing, but only while the list shows it.
    if (m_list.ShowsDay(folder))
        return;
    m_list.PickDay(folder);
}

void frmDater::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    const RegistryRoutines reg = RegistryRoutines::forProduct(kDater);
    const QRect area = screen() ? screen()->geometry() : QRect();
    // A missing Dater key refuses the writes; the next opening is centred.
    if (!reg.setString(QStringLiteral("Left"), QString::number(qint64(x() - area.x()) * kTwipsPerPixel))
        || !reg.setString(QStringLiteral("Top"), QString::number(qint64(y() - area.y()) * kTwipsPerPixel)))
        qWarning("Ringvale: the date picker's place cannot be written in the settings store.");
}

void frmDater::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}
