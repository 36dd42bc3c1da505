#include "desktop/foundation/MainWindowSurfaces.h"

#include <utility>

namespace {

MainWindowSurfaces*& installedWindow()
{
    static MainWindowSurfaces* window = nullptr;
    return window;
}

} // namespace

void RecordedMainWindow::record(Call call)
{
    if (m_calls.size() >= kCallLimit)
        m_calls.removeFirst();
    m_calls.append(std::move(call));
}

void RecordedMainWindow::SetPanelText(qint32 n, const QString& text)
{
    record({Call::PanelText, n, text});
}

void RecordedMainWindow::SetNoItemsVisible(bool visible)
{
    record({Call::NoItemsVisible, visible ? 1 : 0, {}});
}

void RecordedMainWindow::SetProgressMinimum(qint32 value)
{
    m_minimum = value;
    record({Call::ProgressMinimum, value, {}});
}

void RecordedMainWindow::SetProgressMaximum(qint32 value)
{
    m_maximum = value;
    record({Call::ProgressMaximum, value, {}});
}

void RecordedMainWindow::SetProgressValue(qint32 value)
{
    m_value = value;
    record({Call::ProgressValue, value, {}});
}

void RecordedMainWindow::SetProgressVisible(bool visible)
{
    record({Call::ProgressVisible, visible ? 1 : 0, {}});
}

void RecordedMainWindow::MakeEditMenuEna(bool bEna)
{
    record({Call::EditMenuEna, bEna ? 1 : 0, {}});
}

void RecordedMainWindow::SetPaneColours(const QColor& back, const QColor& text)
{
    record({Call::PaneColours, 0, back.name() + u' ' + text.name()});
}

void RecordedMainWindow::DisplayBallonCallSetails(const QString& sTitle, const QString& sMsg)
{
    record({Call::Balloon, 0, sTitle + u'\n' + sMsg});
}

QString RecordedMainWindow::panelText(qint32 n) const
{
    for (auto call = m_calls.crbegin(); call != m_calls.crend(); ++call)
        if (call->kind == Call::PanelText && call->number == n)
            return call->text;
    return {};
}

MainWindowSurfaces& CurrentMainWindow()
{
    static RecordedMainWindow standIn;
    MainWindowSurfaces* window = installedWindow();
    return window ? *window : standIn;
}

void SetMainWindow(MainWindowSurfaces* window)
{
    installedWindow() = window;
}
