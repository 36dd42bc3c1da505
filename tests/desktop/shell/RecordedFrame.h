#pragma once

#include "desktop/shell/MainWindowFrame.h"
#include "desktop/shell/frmSysTray.h"

#include <QStringList>

#include <memory>

// A main window that only keeps what it was asked, with a real tray object
// (give it RecordingTrays). Installed as the maker of the main window for its
// lifetime; window is the one loaded.
class RecordedFrames {
public:
    class Frame : public RecordedMainWindow, public MainWindowFrame {
    public:
        explicit Frame(RecordedFrames& owner)
            : m_owner(owner)
        {
            m_owner.window = this;
        }
        ~Frame() override
        {
            if (m_owner.window == this)
                m_owner.window = nullptr;
        }
        void Load(bool shown) override
        {
            m_tray = std::make_unique<frmSysTray>();
            m_owner.log << (shown ? QStringLiteral("load shown") : QStringLiteral("load hidden"));
            m_visible = shown;
        }
        void ShowWindow() override
        {
            m_visible = true;
            m_owner.log << QStringLiteral("show");
        }
        void HideWindow() override
        {
            m_visible = false;
            m_owner.log << QStringLiteral("hide");
        }
        void ShowMinimized() override { m_owner.log << QStringLiteral("minimised"); }
        bool IsWindowVisible() const override { return m_visible; }
        frmSysTray& SysTray() override { return *m_tray; }
        void ExitApp() override { m_owner.log << QStringLiteral("exit"); }

        void SetPanelText(qint32 n, const QString& text) override
        {
            RecordedMainWindow::SetPanelText(n, text);
        }
        void SetNoItemsVisible(bool v) override { RecordedMainWindow::SetNoItemsVisible(v); }
        qint32 ProgressMinimum() const override { return RecordedMainWindow::ProgressMinimum(); }
        void SetProgressMinimum(qint32 v) override { RecordedMainWindow::SetProgressMinimum(v); }
        qint32 ProgressMaximum() const override { return RecordedMainWindow::ProgressMaximum(); }
        void SetProgressMaximum(qint32 v) override { RecordedMainWindow::SetProgressMaximum(v); }
        qint32 ProgressValue() const override { return RecordedMainWindow::ProgressValue(); }
        void SetProgressValue(qint32 v) override { RecordedMainWindow::SetProgressValue(v); }
        void SetProgressVisible(bool v) override { RecordedMainWindow::SetProgressVisible(v); }
        void MakeEditMenuEna(bool b) override { RecordedMainWindow::MakeEditMenuEna(b); }
        void SetPaneColours(const QColor& back, const QColor& text) override
        {
            RecordedMainWindow::SetPaneColours(back, text);
        }
        void DisplayBallonCallSetails(const QString& title, const QString& msg) override
        {
            RecordedMainWindow::DisplayBallonCallSetails(title, msg);
        }

    private:
        RecordedFrames& m_owner;
        std::unique_ptr<frmSysTray> m_tray;
        bool m_visible = false;
    };

    RecordedFrames()
    {
        SetMainWindowFactory([this] { return std::make_unique<Frame>(*this); });
    }
    ~RecordedFrames()
    {
        UnloadMainWindow();
        SetMainWindowFactory({});
    }
    RecordedFrames(const RecordedFrames&) = delete;
    RecordedFrames& operator=(const RecordedFrames&) = delete;

    Frame* window = nullptr;
    QStringList log;
};
