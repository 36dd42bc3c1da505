#include "desktop/foundation/SoundFileBar.h"

#include "common/AppPaths.h"
#include "desktop/foundation/ContactStore.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/Translation.h"
#include "desktop/foundation/WindowUtilities.h"
#include "desktop/foundation/mdlFunctions.h"
#include "platform/WaveControl.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QStyle>

#include <cstdio>

SoundFileBar::SoundFileBar(QComboBox* list, WaveControl* wave, QWidget* owner)
    : QToolBar(owner)
    , m_list(list)
    , m_wave(wave)
    , m_owner(owner)
{
    setObjectName(QStringLiteral("tlbrCmbPlayerINC"));
    setIconSize(QSize(16, 16));
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    const struct {
        QStyle::StandardPixmap icon;
        int tip;
    } buttons[] = {
        {QStyle::SP_MediaPlay, 184},
        {QStyle::SP_MediaStop, 183},
        {QStyle::SP_CustomBase, 0},
        {QStyle::SP_FileDialogNewFolder, 210},
        {QStyle::SP_TrashIcon, 640},
    };
    for (int i = 0; i < 5; ++i) {
        QAction* action = nullptr;
        if (buttons[i].tip == 0) {
            action = addSeparator();
        } else {
            action = addAction(style()->standardIcon(buttons[i].icon), QString());
            action->setToolTip(g_sTrans(buttons[i].tip));
            connect(action, &QAction::triggered, this, [this, i] { ButtonClick(i); });
        }
        m_buttons << action;
    }
}

QString SoundFileBar::soundFolder()
{
    return AppPaths::programFolder() + QStringLiteral("/Sound/");
}

void SoundFileBar::fillList(QComboBox* list, const QString& select)
{
    FillFileCombo(list, soundFolder() + QStringLiteral("*.wav"), select);
}

void SoundFileBar::setCommandsEnabled(bool enabled)
{
    for (int i : {0, 1, 3, 4})
        m_buttons[i]->setEnabled(enabled);
}

void SoundFileBar::ButtonClick(int index)
{
    switch (index) {
    case 0:
        play();
        break;
    case 1:
        if (m_wave)
            (void)m_wave->StopPlay();
        break;
    case 3:
        add();
        break;
    case 4:
        remove();
        break;
    default:
        break;
    }
}

void SoundFileBar::play()
{
    if (!m_wave || !m_list || m_wave->IsPlaying() || m_list->currentText().isEmpty())
        return;
    // A file that cannot be played is not the user's concern here: nothing sounds.
    (void)m_wave->PlayFile(soundFolder() + m_list->currentText(), g_lSoundDeviceIndex);
}

void SoundFileBar::add()
{
    if (m_wave && m_wave->IsPlaying())
        (void)m_wave->StopPlay();
    const QString name = AddSoundFile(m_owner, soundFolder());
    if (!name.isEmpty() && m_list)
        fillList(m_list, name);
}

void SoundFileBar::remove()
{
    if (m_wave && m_wave->IsPlaying())
        (void)m_wave->StopPlay();
    if (!m_list)
        return;
    if (m_list->count() == 1) {
        ShowMessage(g_sTrans(840), false);
        return;
    }
    // With nothing selected there is no file to delete: asking about an empty
    // name would delete the folder's path.
    const QString name = m_list->currentText();
    if (name.isEmpty())
        return;
    const QString contact = FindContactNameBySound(name);
    if (!contact.isEmpty()) {
        ShowMessage(ReplacePlaceholder(g_sTrans(842), contact), false);
        return;
    }
    if (ShowMessage(ReplacePlaceholder(g_sTrans(843), name), true) != 6)
        return;
    const QString path = soundFolder() + name;
    if (!QFile::remove(path))
        std::fprintf(stderr, "Ringvale: cannot delete %s\n", qPrintable(QDir::toNativeSeparators(path)));
    fillList(m_list, QString());
}
