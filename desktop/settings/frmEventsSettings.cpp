// Loading the stored settings into frmEvents and OK's steps.
#include "desktop/settings/frmEvents.h"

#include "desktop/contacts/frmContact.h"
#include "desktop/contacts/mdlContactList.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/HelpPages.h"
#include "desktop/foundation/MainWindowSurfaces.h"
#include "desktop/foundation/StoredColour.h"
#include "desktop/foundation/TypingLimit.h"
#include "desktop/foundation/WindowUtilities.h"
#include "desktop/foundation/cSlider.h"
#include "desktop/settings/SettingsControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <optional>

namespace {

const QString kIncoming = QStringLiteral("Events\\TabInCommingCall");
const QString kAdvanced = QStringLiteral("Events\\Advanced");

bool notUnchecked(const QCheckBox* box)
{
    return box->checkState() != Qt::Unchecked;
}

} // namespace

void frmEvents::loadColour(ColourBox& box, const QString& stored, const QColor& designed)
{
    // What the pop-up cannot show as a colour it shows as designed; the
    // stored text stays for OK unless a colour is picked.
    const std::optional<QColor> colour = ParseStoredColour(stored);
    box.kept = colour || stored.trimmed().isEmpty() ? QString() : stored;
    showColour(box, colour.value_or(designed));
}

QString frmEvents::colourText(const ColourBox& box) const
{
    return box.kept.isEmpty() ? StoredColourText(box.colour) : box.kept;
}

void frmEvents::LoadEventSettings()
{
    // 1, 2
    m_reg.setSubkey(kIncoming);
    LoadStoredCheck(chkViewCD_IC, m_reg.getString(QStringLiteral("chkICViewCD")));
    const std::optional<int> position
        = StoredNumber(m_reg.getString(QStringLiteral("cmbCallDisplayStyleIncomming")));
    if (position && *position >= -1 && *position < cmbCallDisplayStyleIncomming->count())
        cmbCallDisplayStyleIncomming->setCurrentIndex(*position);
    LoadStoredCheck(chkPlayIn_IC, m_reg.getString(QStringLiteral("chkPlayInCall")));
    const int sound = CmbPlayWhen_IC->findText(
        m_reg.getString(QStringLiteral("CmbPlayWhenCall")), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (sound >= 0)
        CmbPlayWhen_IC->setCurrentIndex(sound);
    LoadStoredCheck(chkSayInCall_IC, m_reg.getString(QStringLiteral("chkSayInCommingCall")));
    QString speech = m_reg.getString(QStringLiteral("IC_txtTTS"));
    speech.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    txtTTS_IC->setPlainText(speech);
    LoadStoredCheck(chkOpenAppOnCall, m_reg.getString(QStringLiteral("chkOpenAppOnCall")));
    LoadStoredCheck(chkWhenCallerID, m_reg.getString(QStringLiteral("chkWhenCallerID")));
    // 3
    const std::optional<int> openApp = StoredNumber(m_reg.getString(QStringLiteral("chkOpenAppOnCall")));
    if (openApp)
        g_bOpenAppOnCall = *openApp != 0;
    // 4, 5
    m_reg.setSubkey(kAdvanced);
    LoadStoredCheck(chkAnimate, m_reg.getString(QStringLiteral("chkAnimate")));
    if (const std::optional<int> step = StoredNumber(m_reg.getString(QStringLiteral("sldAnimateVal"))))
        sldAnimateVal->setValue(*step);
    LoadStoredCheck(chkClosePersonalAfrter, m_reg.getString(QStringLiteral("chkClosePersonalAfrter")));
    txtCLosePersonalAfter->setText(m_reg.getString(QStringLiteral("txtCLosePersonalAfter")));
    txtCLoseBallonAfter->setText(m_reg.getString(QStringLiteral("txtCLoseBallonAfter")));
    // 6: as the pop-up reads it, so both show the same look.
    if (m_reg.getString(QStringLiteral("Style")) == u"Personal")
        ptnPersonal->setChecked(true);
    else
        ptnDefault->setChecked(true);
    // 7
    loadColour(m_title, m_reg.getString(QStringLiteral("picTitle")), kPopUpTitleColour);
    loadColour(m_back, m_reg.getString(QStringLiteral("picBG")), kPopUpBackColour);
    loadColour(m_font, m_reg.getString(QStringLiteral("picFont")), kPopUpTextColour);
    // 8
    sldAnimateVal_Changed();
}

bool frmEvents::storeIncoming()
{
    bool saved = true;
    m_reg.setSubkey(kIncoming);
    saved &= m_reg.setString(QStringLiteral("chkICViewCD"), StoredCheckState(chkViewCD_IC));
    saved &= m_reg.setString(QStringLiteral("cmbCallDisplayStyleIncomming"),
        QString::number(cmbCallDisplayStyleIncomming->currentIndex()));
    saved &= m_reg.setString(QStringLiteral("chkPlayInCall"), StoredCheckState(chkPlayIn_IC));
    saved &= m_reg.setString(QStringLiteral("CmbPlayWhenCall"), CmbPlayWhen_IC->currentText());
    saved &= m_reg.setString(QStringLiteral("chkSayInCommingCall"), StoredCheckState(chkSayInCall_IC));
    saved &= m_reg.setString(QStringLiteral("IC_txtTTS"), TypingLimit::storedText(txtTTS_IC));
    saved &= m_reg.setString(QStringLiteral("chkOpenAppOnCall"), StoredCheckState(chkOpenAppOnCall));
    saved &= m_reg.setString(QStringLiteral("chkWhenCallerID"), StoredCheckState(chkWhenCallerID));
    return saved;
}

bool frmEvents::storeAdvanced()
{
    bool saved = true;
    m_reg.setSubkey(kAdvanced);
    saved &= m_reg.setString(QStringLiteral("chkAnimate"), StoredCheckState(chkAnimate));
    saved &= m_reg.setString(QStringLiteral("sldAnimateVal"), QString::number(sldAnimateVal->value()));
    saved &= m_reg.setString(
        QStringLiteral("chkClosePersonalAfrter"), StoredCheckState(chkClosePersonalAfrter));
    saved &= m_reg.setString(QStringLiteral("txtCLosePersonalAfter"), txtCLosePersonalAfter->text());
    saved &= m_reg.setString(QStringLiteral("txtCLoseBallonAfter"), txtCLoseBallonAfter->text());
    saved &= m_reg.setString(QStringLiteral("Style"),
        ptnDefault->isChecked() ? QStringLiteral("Default") : QStringLiteral("Personal"));
    saved &= m_reg.setString(QStringLiteral("picTitle"), colourText(m_title));
    saved &= m_reg.setString(QStringLiteral("picBG"), colourText(m_back));
    saved &= m_reg.setString(QStringLiteral("picFont"), colourText(m_font));
    return saved;
}

void frmEvents::cmdOK_Click()
{
    // 1, 2
    bool saved = storeIncoming();
    g_bOpenAppOnCall = notUnchecked(chkOpenAppOnCall);
    sCallDisplay = cmbCallDisplayStyleIncomming->currentIndex();
    g_bDisplayIC = notUnchecked(chkViewCD_IC);
    g_bWhenCallerID = notUnchecked(chkWhenCallerID);
    // 3, 4
    saved = storeAdvanced() && saved;
    if (!saved)
        ShowWriteFailure(QStringLiteral("Not every setting could be saved"));
    g_lAnimateFaster = sldAnimateVal->value();
    g_bAnimate = notUnchecked(chkAnimate);
    g_bClosePersonal = notUnchecked(chkClosePersonalAfrter);
    bool ok = false;
    const qint32 seconds = txtCLosePersonalAfter->text().toInt(&ok);
    if (ok)
        g_lClosePersonalAfter = seconds;
    // 5
    CurrentMainWindow().SetPaneColours(m_back.colour, m_font.colour);
    // 6
    if (frmContact* editor = LoadedContactEditor())
        editor->SetDefaultEvents();
    // 7
    hide();
    LoadEventSettings();
}

void frmEvents::cmdCancel_Click()
{
    hide();
    LoadEventSettings();
}

void frmEvents::cmdHelp_Click()
{
    (void)ShowHelpPage(QStringLiteral("Events"));
}
