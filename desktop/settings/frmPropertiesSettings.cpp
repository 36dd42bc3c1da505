// Loading the stored settings into frmProperties and OK's steps.
#include "desktop/settings/frmProperties.h"

#include "common/ChannelMessages.h"
#include "common/RegistryBackend.h"
#include "common/Waits.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/HubLink.h"
#include "desktop/foundation/WindowUtilities.h"
#include "desktop/foundation/cSlider.h"
#include "desktop/foundation/mdlModemState.h"
#include "desktop/settings/AutostartEntry.h"
#include "desktop/settings/MainDevices.h"
#include "desktop/settings/ServiceSwitch.h"
#include "desktop/settings/SettingsControls.h"
#include "platform/DeviceLookups.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <optional>

namespace {

const QString kDevices = QStringLiteral("Properties\\TabDevices");
const QString kGeneral = QStringLiteral("Properties\\TabGeneral");
const QString kLog = QStringLiteral("Properties\\TabLog");
const QString kTts = QStringLiteral("Properties\\TabTTS");
const QString kLineStat = QStringLiteral("Properties\\TabLineStat");

// A check box's stored value: 0 clear, 1 ticked, 2 grey.
int checkValue(const QCheckBox* box)
{
    switch (box->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

// A list from its stored position; a position it does not have leaves it.
void loadPosition(QComboBox* list, const QString& text)
{
    const std::optional<int> position = StoredNumber(text);
    if (!position || *position < -1 || *position >= list->count())
        return;
    list->setCurrentIndex(*position);
}

// A drop-down list takes only one of its own items.
void loadText(QComboBox* list, const QString& text)
{
    const int at = list->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (at >= 0)
        list->setCurrentIndex(at);
}

QString checkText(const QCheckBox* box)
{
    return QString::number(checkValue(box));
}

bool ticked(const QCheckBox* box)
{
    return box->checkState() == Qt::Checked;
}

MessageControl* procEndpoint()
{
    HubLink* hub = CurrentHubLink();
    if (!hub || !hub->udiProc.Channel(ChannelNumber::ProcChannel))
        return nullptr;
    return &hub->udiProc;
}

} // namespace

void frmProperties::selectStoredLine(const QString& name)
{
    const auto listed = [this, &name] {
        return cmbModemDev->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0;
    };
    // A stored line the filter hides is still the line in use: show them all.
    if (!name.isEmpty() && !listed() && ticked(chkDisplayRecomendedDevices))
        FillModemLineCombo(CurrentMainDevices().Tapi1(), cmbModemDev, false);
    loadText(cmbModemDev, name);
}

void frmProperties::LoadProperties()
{
    // 1: the filter first, as its refill keeps only a position.
    m_reg.setSubkey(kDevices);
    LoadStoredCheck(
        chkDisplayRecomendedDevices, m_reg.getString(QStringLiteral("chkDisplayRecomendedDevices")));
    selectStoredLine(m_reg.getString(QStringLiteral("cmbModemDev")));
    sOriginalModemDeviceName = cmbModemDev->currentText();
    loadText(cmbSoundDev, m_reg.getString(QStringLiteral("cmbSoundDev")));
    sOriginalSoundDeviceName = cmbSoundDev->currentText();
    // 2
    m_reg.setSubkey(kGeneral);
    for (QCheckBox* box : {chkDelFromDiaryWhenDelLast, chkModemSoundControl, chkReloadDev, chkRunOnStart})
        LoadStoredCheck(box, m_reg.getString(box->objectName()));
    txtlNumOfItemsInLast->setText(m_reg.getString(QStringLiteral("txtlNumOfItemsInLast")));
    LoadStoredCheck(ChkRunAsProc, m_reg.getString(QStringLiteral("ChkRunAsProc")));
    LoadStoredCheck(chkDoEventsWhenGUI, m_reg.getString(QStringLiteral("chkDoEventsWhenGUI")));
    // 3
    m_reg.setSubkey(kLog);
    for (QCheckBox* box : {chkLogSys, chkLogCalls, chkLogWWW, chkWornBeforeDelete})
        LoadStoredCheck(box, m_reg.getString(box->objectName()));
    loadPosition(cmbLogFor, m_reg.getString(QStringLiteral("cmbLogFor")));
    // 4
    m_reg.setSubkey(kLineStat);
    const QString lineStat = m_reg.getString(QStringLiteral("cmbLineStat"));
    if (lineStat == u"0")
        ptnOn->setChecked(true);
    if (lineStat == u"1")
        ptnOff->setChecked(true);
    if (lineStat == u"2")
        ptnAuto->setChecked(true);
    EnableAutoModeTimes();
    loadText(txtTimeOn, m_reg.getString(QStringLiteral("txtTimeOn")));
    loadText(txtTimeOff, m_reg.getString(QStringLiteral("txtTimeOff")));
    // 5
    m_reg.setSubkey(kTts);
    // No voice stored (missing or empty) leaves the engine's default shown.
    if (const QString voice = m_reg.getString(QStringLiteral("TTSVoices")); !voice.isEmpty())
        loadPosition(TTSVoices, voice);
    if (const std::optional<int> rate = StoredNumber(m_reg.getString(QStringLiteral("sldrTTS"))))
        sldrTTS->setValue(*rate);
    // 6: the entry, not the stored value, says whether the desktop starts at login.
    chkRunOnStart->setCheckState(AutostartEntry::isOurs() ? Qt::Checked : Qt::Unchecked);
    // 7
    bModemStateClicked = false;
}

bool frmProperties::storeSettings()
{
    bool saved = true;
    // 3
    m_reg.setSubkey(kDevices);
    saved &= m_reg.setString(QStringLiteral("cmbModemDev"), cmbModemDev->currentText());
    saved &= m_reg.setString(QStringLiteral("cmbSoundDev"), cmbSoundDev->currentText());
    saved &= m_reg.setString(
        QStringLiteral("chkDisplayRecomendedDevices"), checkText(chkDisplayRecomendedDevices));
    // 4
    m_reg.setSubkey(kGeneral);
    for (QCheckBox* box : {chkDelFromDiaryWhenDelLast, chkModemSoundControl, chkReloadDev, chkRunOnStart})
        saved &= m_reg.setString(box->objectName(), checkText(box));
    saved &= m_reg.setString(QStringLiteral("txtlNumOfItemsInLast"), txtlNumOfItemsInLast->text());
    g_bDelFromDiaryWhenDelLast = chkDelFromDiaryWhenDelLast->checkState() != Qt::Unchecked;
    saved &= m_reg.setString(QStringLiteral("chkDoEventsWhenGUI"), checkText(chkDoEventsWhenGUI));
    saved &= m_reg.setString(QStringLiteral("ChkRunAsProc"), checkText(ChkRunAsProc));
    // 5
    if (ticked(chkRunOnStart))
        AutostartEntry::write();
    else
        AutostartEntry::remove();
    // 6
    m_reg.setSubkey(kLog);
    for (QCheckBox* box : {chkLogSys, chkLogCalls, chkLogWWW, chkWornBeforeDelete})
        saved &= m_reg.setString(box->objectName(), checkText(box));
    saved &= m_reg.setString(QStringLiteral("cmbLogFor"), QString::number(cmbLogFor->currentIndex()));
    // 7
    m_reg.setSubkey(kTts);
    if (TTSVoices->currentIndex() >= 0) {
        saved &= m_reg.setString(QStringLiteral("TTSVoices"), QString::number(TTSVoices->currentIndex()));
    } else {
        const qint32 deleted = m_reg.DeleteValue(QStringLiteral("TTSVoices"));
        saved &= deleted == RegistryBackend::Success || deleted == RegistryBackend::NotFound;
    }
    saved &= m_reg.setString(QStringLiteral("sldrTTS"), QString::number(sldrTTS->value()));
    // 8
    m_reg.setSubkey(kLineStat);
    saved &= m_reg.setString(QStringLiteral("txtTimeOn"), txtTimeOn->currentText());
    saved &= m_reg.setString(QStringLiteral("txtTimeOff"), txtTimeOff->currentText());
    g_sTimeOn = txtTimeOn->currentText();
    g_sTimeOff = txtTimeOff->currentText();
    return saved;
}

void frmProperties::applyLineState()
{
    if (!bModemStateClicked)
        return;
    m_reg.setSubkey(kLineStat);
    // The line reported open inside the daily window is not on for good:
    // "On" must leave the window too.
    if (ptnOn->isChecked() && (g_bLineOff || g_bAutoMode)) {
        (void)m_reg.setString(QStringLiteral("cmbLineStat"), QStringLiteral("0"));
        SendModemState(0, QString(), QString());
        Pause(5);
    }
    if (ptnOff->isChecked()) {
        Pause(5);
        (void)m_reg.setString(QStringLiteral("cmbLineStat"), QStringLiteral("1"));
        SendModemState(1, QString(), QString());
        Pause(5);
    }
    if (ptnAuto->isChecked()) {
        (void)m_reg.setString(QStringLiteral("cmbLineStat"), QStringLiteral("2"));
        Pause(5);
        SendModemState(2, g_sTimeOn, g_sTimeOff);
        Pause(5);
    }
    bModemStateClicked = false;
}

void frmProperties::restartPlainService()
{
    ServiceSwitch& service = CurrentServiceSwitch();
    service.StartServiceProcess();
    Pause(10);
}

void frmProperties::applyServiceSwitch()
{
    ServiceSwitch& service = CurrentServiceSwitch();
    const int runAsService = checkValue(ChkRunAsProc);
    // 12: only where the service can run under the service manager at all.
    if (runAsService == 1 && !ChkRunAsProc->isHidden() && !service.ServiceMode()) {
        if (MessageControl* proc = procEndpoint()) {
            proc->Send(ChannelMessages::command(MessageName::Unload));
            m_reg.setSubkey(kGeneral);
            (void)m_reg.setString(QStringLiteral("ChkRunAsProc"), QStringLiteral("1"));
            service.InstallRunServ();
            Pause(10);
            // The plain process has ended: without a running service nothing
            // would watch the line. The stored "1" retries at the next start.
            if (!service.ServiceRunning())
                restartPlainService();
        }
    }
    // 13
    if (runAsService == 0 && service.ServiceMode()) {
        m_reg.setSubkey(kGeneral);
        (void)m_reg.setString(QStringLiteral("ChkRunAsProc"), QStringLiteral("0"));
        service.UnInstallRunServ();
        Pause(30);
        restartPlainService();
    }
}

void frmProperties::cmdOK_Click()
{
    // 1
    if (txtlNumOfItemsInLast->text().isEmpty())
        txtlNumOfItemsInLast->setText(QStringLiteral("30"));
    // 2
    lblPleaseWait->setVisible(true);
    cmdOK->setEnabled(false);
    cmdCancel->setEnabled(false);
    // 3 to 8
    if (!storeSettings())
        ShowWriteFailure(QStringLiteral("Not every setting could be saved"));
    // 9
    if (cmbModemDev->currentText() != sOriginalModemDeviceName) {
        SendModemState(1, QString(), QString());
        Pause(10);
        SendModemState(0, QString(), QString());
        Pause(10);
        sOriginalModemDeviceName = cmbModemDev->currentText();
    }
    // 10
    if (cmbSoundDev->currentText() != sOriginalSoundDeviceName) {
        g_lSoundDeviceIndex = FindSoundDeviceIndex(CurrentMainDevices().Wave1(), cmbSoundDev->currentText());
        if (MessageControl* proc = procEndpoint())
            proc->Send(ChannelMessages::command(MessageName::GetSoundIndex));
    }
    // 11
    applyLineState();
    // 12, 13
    applyServiceSwitch();
    // 14
    if (HubLink* hub = CurrentHubLink(); hub && hub->udiOut.Channel(ChannelNumber::CommandChannel))
        hub->udiOut.Send(ChannelMessages::command(MessageName::GetTTSProp));
    // 15
    lblPleaseWait->setVisible(false);
    cmdOK->setEnabled(true);
    cmdCancel->setEnabled(true);
    hide();
}

void frmProperties::cmdCancel_Click()
{
    hide();
    LoadProperties();
}
