#pragma once

#include <QColor>
#include <QList>
#include <QString>

// The parts of the main window (frmMain) that the foundation writes: its
// status bar, the picture over an empty call list, its progress bar and its
// edit menu. The main window implements it; until it is there, and in tests,
// a RecordedMainWindow stands in.
class MainWindowSurfaces {
public:
    virtual ~MainWindowSurfaces() = default;

    // vbalStatusBar1.PanelText(n): panels count from 1; 2 holds the number of
    // calls in the list, 3 the line and call status.
    virtual void SetPanelText(qint32 n, const QString& text) = 0;
    // picNoItems.Visible: shown while the call list has no rows.
    virtual void SetNoItemsVisible(bool visible) = 0;

    // vbalProgressBar1.
    virtual qint32 ProgressMinimum() const = 0;
    virtual void SetProgressMinimum(qint32 value) = 0;
    virtual qint32 ProgressMaximum() const = 0;
    virtual void SetProgressMaximum(qint32 value) = 0;
    virtual qint32 ProgressValue() const = 0;
    virtual void SetProgressValue(qint32 value) = 0;
    virtual void SetProgressVisible(bool visible) = 0;

    // Enables or disables the menu items "BackMsg", "NextMsg", "Edit",
    // "Delete" and "SaveToPC".
    virtual void MakeEditMenuEna(bool bEna) = 0;

    // The call-details pane (PicCallDetails): its background and the text
    // colour of its six labels.
    virtual void SetPaneColours(const QColor& back, const QColor& text) = 0;
    // A balloon on the tray icon: the information icon, 30 seconds.
    virtual void DisplayBallonCallSetails(const QString& sTitle, const QString& sMsg) = 0;
};

// Keeps every call in order (the newest kCallLimit, so a program that runs
// long on the stand-in does not grow), and the progress bar's values so they
// read back.
class RecordedMainWindow : public MainWindowSurfaces {
public:
    struct Call {
        enum Kind {
            PanelText,
            NoItemsVisible,
            ProgressMinimum,
            ProgressMaximum,
            ProgressValue,
            ProgressVisible,
            EditMenuEna,
            PaneColours, // text: the two colours' names, "#rrggbb #rrggbb"
            Balloon // text: title, LF, message
        };
        Kind kind = PanelText;
        qint32 number = 0; // the panel, or the value set; a Boolean as 0 or 1
        QString text;

        bool operator==(const Call&) const = default;
    };

    static constexpr qsizetype kCallLimit = 10000;

    void SetPanelText(qint32 n, const QString& text) override;
    void SetNoItemsVisible(bool visible) override;
    qint32 ProgressMinimum() const override { return m_minimum; }
    void SetProgressMinimum(qint32 value) override;
    qint32 ProgressMaximum() const override { return m_maximum; }
    void SetProgressMaximum(qint32 value) override;
    qint32 ProgressValue() const override { return m_value; }
    void SetProgressValue(qint32 value) override;
    void SetProgressVisible(bool visible) override;
    void MakeEditMenuEna(bool bEna) override;
    void SetPaneColours(const QColor& back, const QColor& text) override;
    void DisplayBallonCallSetails(const QString& sTitle, const QString& sMsg) override;

    const QList<Call>& calls() const { return m_calls; }
    // The last text set on panel n; empty when none was.
    QString panelText(qint32 n) const;
    void clear() { m_calls.clear(); }

private:
    void record(Call call);

    QList<Call> m_calls;
    qint32 m_minimum = 0;
    qint32 m_maximum = 100;
    qint32 m_value = 0;
};

// The main window in use: the installed one, else a RecordedMainWindow of the
// program's own, so nothing the foundation writes before the main window is
// there goes anywhere it could fail.
MainWindowSurfaces& CurrentMainWindow();
// Installs window (not owned); null gives the stand-in back.
void SetMainWindow(MainWindowSurfaces* window);
