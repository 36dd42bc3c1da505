#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QToolBar>

class QAction;
class QComboBox;
class WaveControl;

// The tool bar over a window's list of the wave files in Sound/: play and
// stop the selected file on the window's own wave control, add a file,
// delete one. The window owns the list and the wave control and decides when
// the buttons are enabled.
class SoundFileBar : public QToolBar {
    Q_OBJECT
public:
    SoundFileBar(QComboBox* list, WaveControl* wave, QWidget* owner);

    // The command of button index: 0 play, 1 stop, 2 none, 3 add, 4 delete.
    void ButtonClick(int index);
    // Buttons 0, 1, 3 and 4 together; the separator is never touched.
    void setCommandsEnabled(bool enabled);
    QAction* button(int index) const { return m_buttons.value(index); }

    // <program folder>/Sound/ as a native path with its trailing separator.
    static QString soundFolder();
    // Fills list with the wave files of Sound/, selecting select (or the first).
    static void fillList(QComboBox* list, const QString& select);

private:
    void play();
    void add();
    void remove();

    QPointer<QComboBox> m_list;
    QPointer<WaveControl> m_wave;
    QWidget* m_owner;
    QList<QAction*> m_buttons;
};
