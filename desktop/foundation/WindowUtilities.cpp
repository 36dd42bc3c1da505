#include "desktop/foundation/WindowUtilities.h"

#include "common/SharedFile.h"

#include "common/Waits.h"
#include "desktop/foundation/DialogProvider.h"
#include "desktop/foundation/Translation.h"
#include "desktop/foundation/cTextBoxXP.h"
#include "desktop/foundation/mdlCommDialog.h"
#include "platform/TelephonyControl.h"
#include "platform/WaveControl.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QRegion>
#include <QSaveFile>

#include <QWidget>
#include <cstdio>

namespace {

// Lets pending events run, as the list fillers do between entries.
void letEventsRun()
{
    WaitLettingEventsRun(0);
}

} // namespace

qint16 ShowMessage(const QString& text, bool yesNo)
{
    MessageBoxRequest request;
    request.owner = QApplication::activeWindow();
    request.title = QStringLiteral("Ringvale");
    request.text = text;
    request.yesNo = yesNo;
    request.rightToLeft = g_bRTL();
    return CurrentDialogProvider().messageBox(request);
}

void ShowWriteFailure(const QString& what)
{
    const QString reason = SharedFile::lastWriteFailure();
    const QString text = reason.isEmpty() ? what : what + QStringLiteral(": ") + reason;
    std::fprintf(stderr, "Ringvale: %s\n", text.toUtf8().constData());
    std::fflush(stderr);
    ShowMessage(text, false);
}

QString WithOwnDirection(const QString& text)
{
    // First strong isolate ... pop directional isolate.
    return QChar(0x2068) + text + QChar(0x2069);
}

void SetFormRegionFromContainer(QWidget* container)
{
    if (!container)
        return;
    QRegion region;
    bool any = false;
    const QList<QWidget*> children = container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (const QWidget* child : children) {
        if (child->isWindow())
            continue;
        region += child->geometry();
        any = true;
    }
    if (any)
        container->setMask(region);
    else
        container->clearMask();
}

bool FillModemLineCombo(TelephonyControl& tapi, QComboBox* combo, bool recommendedOnly)
{
    if (!combo)
        return false;
    // An event handler may close the window while events run.
    const QPointer<QComboBox> alive(combo);
    const int selected = combo->currentIndex();
    combo->clear();
    for (qint32 i = 0; i < tapi.DeviceCount(); ++i) {
        letEventsRun();
        if (!alive)
            return false;
        tapi.setCurrentLine(i);
        DeviceCaps caps;
        if (tapi.GetDeviceCaps(caps) != LineResult::Ok)
            continue;
        if (recommendedOnly && !(caps.CallerIdCapability && caps.TapiCapability))
            continue;
        combo->addItem(caps.DeviceName);
    }
    if (combo->count() == 0)
        return false;
    combo->setCurrentIndex(selected < combo->count() ? selected : -1);
    return true;
}

void FillSoundDeviceCombo(const WaveControl& wave, QComboBox* combo)
{
    if (!combo)
        return;
    // An event handler may close the window while events run.
    const QPointer<QComboBox> alive(combo);
    combo->clear();
    for (qint32 i = 0; i < wave.OutDeviceCount(); ++i) {
        letEventsRun();
        if (!alive)
            return;
        OutDeviceCaps caps;
        if (wave.GetOutDeviceCaps(i, caps) && caps.Playable)
            combo->addItem(caps.DeviceName);
    }
    combo->setCurrentIndex(combo->count() > 0 ? 0 : -1);
}

void FillFileCombo(QComboBox* combo, const QString& pattern, const QString& select)
{
    if (!combo)
        return;
    // An event handler may close the window while events run.
    const QPointer<QComboBox> alive(combo);
    combo->clear();
    const QFileInfo where(pattern);
    const QStringList names = QDir(where.path())
                                  .entryList(QStringList{where.fileName()}, QDir::Files | QDir::Hidden,
                                      QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names) {
        letEventsRun();
        if (!alive)
            return;
        combo->addItem(name);
    }
    if (!select.isEmpty()) {
        if (combo->isEditable())
            combo->setEditText(select);
        else
            combo->setCurrentIndex(combo->findText(select, Qt::MatchFixedString));
    } else {
        combo->setCurrentIndex(combo->count() > 0 ? 0 : -1);
    }
}

QString AddSoundFile(QWidget* owner, const QString& folder)
{
    OpenFileName& ofn = g_OpenFileName();
    ofn.lpstrFilter = {{QStringLiteral("wav (*.wav)"), QStringLiteral("*.wav")}};
    ofn.lpstrTitle = QStringLiteral("Add Sound");
    const SelectedFiles chosen = ShowOpenDialog(owner, kCenterOnOwner);
    if (chosen.Cancelled || chosen.Files.isEmpty())
        return {};
    const QString name = chosen.Files.constFirst();
    if (!CopyFileReplacing(chosen.Path + name, QDir(folder).filePath(name)))
        return {};
    return name;
}

void SaveFileAs(const QString& source, QWidget* owner, const QString& ext, bool createEmpty)
{
    if (source.isEmpty())
        return;
    using namespace OpenFileFlags;
    OpenFileName& ofn = g_OpenFileName();
    ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER | OFN_LONGNAMES;
    // A copy replaces the chosen file: ask first. An empty file never does.
    if (!createEmpty)
        ofn.Flags |= OFN_OVERWRITEPROMPT;
    ofn.lpstrTitle = QStringLiteral("Save");
    ofn.lpstrFilter = {{ext + u" (*." + ext + u')', u"*." + ext}};
    const SelectedFiles chosen = ShowSaveDialog(owner, QFileInfo(source).fileName(), kCenterOnOwner);
    if (chosen.Cancelled || chosen.Files.isEmpty())
        return;
    const QString target = chosen.Path + chosen.Files.constFirst();
    if (createEmpty) {
        QFile file(target + u".txt");
        if (file.open(QIODevice::Append))
            file.close();
        return;
    }
    CopyFileReplacing(source, target);
}

void ShowTextBoxBalloon(cTextBoxXP& box, const QString& title, const QString& text)
{
    box.setBalloonTipText(text);
    box.setBalloonTipIcon(1);
    box.setBalloonTipTitle(title);
    box.ShowBalloonTip();
}

bool CopyFileReplacing(const QString& source, const QString& target)
{
    const QFileInfo from(source);
    const QFileInfo to(target);
    if (!from.isFile())
        return false;
    if (to.exists() && from.canonicalFilePath() == to.canonicalFilePath())
        return true;
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    QByteArray block;
    while (!(block = in.read(1 << 16)).isEmpty()) {
        if (out.write(block) != block.size()) {
            out.cancelWriting();
            break;
        }
    }
    if (in.error() != QFileDevice::NoError)
        out.cancelWriting();
    return out.commit();
}

void SetTranslatedCaption(QWidget* widget, int entry)
{
    const QString text = g_sTrans(entry);
    if (text.isEmpty())
        return;
    if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(text);
    else
        widget->setWindowTitle(text);
}

QString StoredCheckState(const QCheckBox* box)
{
    switch (box->checkState()) {
    case Qt::Checked:
        return QStringLiteral("1");
    case Qt::PartiallyChecked:
        return QStringLiteral("2");
    default:
        return QStringLiteral("0");
    }
}

void LoadCheckState(QCheckBox* box, const QString& stored)
{
    bool number = false;
    const int state = stored.toInt(&number);
    if (!number || state < 0 || state > 2)
        return;
    box->setCheckState(state == 0 ? Qt::Unchecked : state == 1 ? Qt::Checked : Qt::PartiallyChecked);
}

void SetTextBoxEnabled(QWidget* box, bool enabled)
{
    box->setEnabled(enabled);
    QPalette colours = box->palette();
    const QColor background
        = QApplication::palette().color(QPalette::Active, enabled ? QPalette::Base : QPalette::Button);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        colours.setColor(group, QPalette::Base, background);
    box->setPalette(colours);
}
