#include "desktop/calls/frmDialer.h"

#include "common/SharedFile.h"

#include "common/ChannelMessages.h"
#include "common/DataPaths.h"
#include "common/SharedUtilities.h"
#include "desktop/calls/Twips.h"
#include "desktop/foundation/DesktopGlobals.h"
#include "desktop/foundation/DialogProvider.h"
#include "desktop/foundation/HubLink.h"
#include "desktop/foundation/Translation.h"
#include "desktop/foundation/WindowUtilities.h"
#include "desktop/foundation/mdlFunctions.h"

#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QValidator>

#include <cstdio>
#include <optional>

using Twips::px;

namespace {

bool hasControlCharacter(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() < 0x20)
            return true;
    return false;
}

// The number with every control character taken out (not blanked: a blank
// would make another number).
QString dialable(QString text)
{
    text.removeIf([](QChar c) { return c.unicode() < 0x20; });
    return text;
}

// The number box takes no control character: a CR, LF or the field
// separator would add lines to the dial command and to the number list.
class NumberValidator final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        return hasControlCharacter(input) ? Invalid : Acceptable;
    }
};

void send(const QString& text)
{
    if (HubLink* hub = CurrentHubLink())
        hub->udiOut.Send(text);
}

void sayFileError(const char* what, const QString& detail)
{
    std::fprintf(stderr, "Ringvale: the recent numbers could not be %s: %s\n", what, qPrintable(detail));
    std::fflush(stderr);
}

// The lines of DialCalls; a missing file is made empty. nullopt when it
// could not be read or made.
std::optional<QStringList> readNumbers()
{
    const QString path = frmDialer::DialCallsPath();
    QFile file(path);
    if (!file.exists()) {
        if (!SharedFile::writeAtomically(path, {})) {
            sayFileError("made", SharedFile::lastWriteFailure());
            return std::nullopt;
        }
    }
    if (!file.open(QIODevice::ReadOnly)) {
        sayFileError("read", file.errorString());
        return std::nullopt;
    }
    QString text = QString::fromUtf8(file.readAll());
    if (text.endsWith(u'\n'))
        text.chop(1);
    if (text.isEmpty() && file.size() == 0)
        return QStringList();
    QStringList lines = text.split(u'\n');
    for (QString& line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    // A line someone edited into the file with control characters is no
    // number this window would dial.
    lines.removeIf([](const QString& line) { return hasControlCharacter(line); });
    return lines;
}

} // namespace

frmDialer::frmDialer(QWidget* owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("frmDialer"));
    RegisterLoadedForm(this);
    setWindowFlags(
        Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint);
    if (g_bRTL())
        setLayoutDirection(Qt::RightToLeft);
    setFixedSize(px(2910), px(3930) + 22);

    cmbCallNumber = named(new QComboBox(this), "cmbCallNumber");
    cmbCallNumber->setEditable(true);
    cmbCallNumber->setInsertPolicy(QComboBox::NoInsert);
    cmbCallNumber->lineEdit()->setValidator(new NumberValidator(cmbCallNumber));
    cmbCallNumber->setGeometry(px(120), px(120), px(2655), 24);

    const char* names[] = {"cmd1", "cmd2", "cmd3", "cmd4", "cmd5", "cmd6", "cmd7", "cmd8", "cmd9",
        "cmdAsterisk", "cmd0", "cmdLadder"};
    const QString keys = QStringLiteral("123456789*0#");
    const int lefts[] = {240, 1080, 1920};
    const int tops[] = {600, 1080, 1560, 2040};
    for (int k = 0; k < 12; ++k) {
        const QChar key = keys.at(k);
        auto* button = named(new QPushButton(QString(key), this), names[k]);
        button->setGeometry(px(lefts[k % 3]), px(tops[k / 3]), px(735), px(375));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, key] { Keypad_Click(key); });
    }
    cndSend = named(new QPushButton(this), "cndSend");
    cndSend->setGeometry(px(240), px(2520), px(2415), px(375));
    cmdEnd = named(new QPushButton(this), "cmdEnd");
    cmdEnd->setGeometry(px(240), px(3000), px(2415), px(375));
    cmdRecCall = named(new QPushButton(this), "cmdRecCall");
    cmdRecCall->setGeometry(cmdEnd->geometry());
    cmdRecCall->hide();
    for (QPushButton* button : {cndSend, cmdEnd, cmdRecCall})
        button->setAutoDefault(false);
    Picture1 = named(new QWidget(this), "Picture1");
    Picture1->setGeometry(px(2280), px(2640), px(135), px(135));
    Picture1->setStyleSheet(QStringLiteral("background-color: rgb(0, 255, 0);"));
    Picture1->setAttribute(Qt::WA_StyledBackground);
    Picture1->setCursor(Qt::PointingHandCursor);
    Picture1->installEventFilter(this);
    Picture2 = named(new QWidget(this), "Picture2");
    Picture2->setGeometry(px(2280), px(3120), px(135), px(135));
    Picture2->setStyleSheet(QStringLiteral("background-color: rgb(192, 64, 0);"));
    Picture2->setAttribute(Qt::WA_StyledBackground);
    Picture1->raise();
    Picture2->raise();
    connect(cndSend, &QPushButton::clicked, this, &frmDialer::cndSend_Click);
    connect(cmdEnd, &QPushButton::clicked, this, &frmDialer::cmdEnd_Click);
    connect(cmdRecCall, &QPushButton::clicked, this, &frmDialer::cmdRecCall_Click);

    vbalStatusBar1 = named(new QStatusBar(this), "vbalStatusBar1");
    vbalStatusBar1->setSizeGripEnabled(false);
    vbalStatusBar1->setGeometry(0, height() - 22, width(), 22);
    panel1 = named(new QLabel(vbalStatusBar1), "panel1");
    vbalStatusBar1->addWidget(panel1, 1);

    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, &frmDialer::Timer1_Timer);

    SetTranslatedCaption(this, 363);
    SetTranslatedCaption(cndSend, 364);
    SetTranslatedCaption(cmdRecCall, 365);
    SetTranslatedCaption(cmdEnd, 369);
    FillCombInLastCalls(*cmbCallNumber);
    panel1->setText(g_sTrans(801));
    SetLoadedDialer(this);
}

frmDialer::~frmDialer()
{
    withdraw();
    UnregisterLoadedForm(this);
}

void frmDialer::withdraw()
{
    Timer1.stop();
    if (LoadedDialer() == this)
        SetLoadedDialer(nullptr);
}

void frmDialer::done(int result)
{
    withdraw();
    QDialog::done(result);
}

QString frmDialer::DialCallsPath()
{
    return DataPaths::native(QStringLiteral("\\Data\\DialCalls"));
}

void frmDialer::FillCombInLastCalls(QComboBox& combo)
{
    combo.clear();
    combo.setEditText(QString());
    const std::optional<QStringList> numbers = readNumbers();
    if (!numbers)
        return;
    combo.addItems(*numbers);
    if (combo.count() > 0)
        combo.setCurrentIndex(0);
}

void frmDialer::RangeComboLastCalls(QComboBox& combo)
{
    const QString number = combo.currentText();
    const std::optional<QStringList> old = readNumbers();
    if (!old)
        return;
    QStringList numbers{number};
    for (const QString& line : *old)
        if (line != number)
            numbers << line;
    numbers = numbers.mid(0, kMaxNumbers);
    QByteArray data;
    for (const QString& line : std::as_const(numbers))
        data += line.toUtf8() + "\r\n";
    // Written whole or not at all: a failed write keeps the list as it was.
    if (!SharedFile::writeAtomically(DialCallsPath(), data))
        sayFileError("written", SharedFile::lastWriteFailure());
}

void frmDialer::SetNumber(const QString& number)
{
    cmbCallNumber->setEditText(dialable(number));
}

void frmDialer::Keypad_Click(QChar key)
{
    cmbCallNumber->setEditText(cmbCallNumber->currentText() + key);
}

QString frmDialer::prepareCall()
{
    const QString number = dialable(cmbCallNumber->currentText());
    if (number.isEmpty())
        return {};
    if (!CommandChannelReady())
        return {};
    cmbCallNumber->setEditText(number);
    RangeComboLastCalls(*cmbCallNumber);
    FillCombInLastCalls(*cmbCallNumber);
    // The list may not be there to select from: the box keeps the number.
    cmbCallNumber->setEditText(number);
    g_lCallSeconds = 0;
    return number;
}

void frmDialer::cndSend_Click()
{
    const QString number = prepareCall();
    if (number.isEmpty())
        return;
    send(ChannelMessages::callOut(number));
    g_bCallOutRecPending = false;
    g_bCallOutPending = true;
}

void frmDialer::cmdRecCall_Click()
{
    const QString number = prepareCall();
    if (number.isEmpty())
        return;
    if (CommandChannelReady())
        send(ChannelMessages::callOutRec(number));
    g_bCallOutPending = false;
    g_bCallOutRecPending = true;
}

void frmDialer::cmdEnd_Click()
{
    if (CommandChannelReady())
        send(ChannelMessages::command(MessageName::DropCall));
}

bool frmDialer::CommandChannelReady()
{
    HubLink* hub = CurrentHubLink();
    return hub && hub->udiOut.Channel(ChannelNumber::CommandChannel);
}

void frmDialer::Timer1_Timer()
{
    ++g_lCallSeconds;
    panel1->setText(g_sTrans(368) + u' ' + FormatSeconds(g_lCallSeconds));
}

QString frmDialer::PanelText() const
{
    return panel1->text();
}

QString frmDialer::NumberText() const
{
    return cmbCallNumber->currentText();
}

void frmDialer::DisableDialButtons()
{
    cndSend->setEnabled(false);
    cmdRecCall->setEnabled(false);
}

void frmDialer::SetStatusText(const QString& text)
{
    panel1->setText(text);
}

void frmDialer::CallReady()
{
    MessageBoxRequest request;
    // Owned by the dialer, so that the end of the call can find and close it.
    request.owner = this;
    request.title = QStringLiteral("Ringvale");
    request.text = g_sTrans(370);
    request.rightToLeft = g_bRTL();
    m_callBoxOpen = true;
    const QPointer<frmDialer> alive(this);
    CurrentDialogProvider().messageBox(request);
    if (alive)
        m_callBoxOpen = false;
}

void frmDialer::CallEnded()
{
    Timer1.stop();
    cndSend->setEnabled(true);
    cmdRecCall->setEnabled(true);
    panel1->setText(g_sTrans(801));
    if (!m_callBoxOpen)
        return;
    // The far end hung up while the box still asks to pick up the handset.
    for (QMessageBox* box : findChildren<QMessageBox*>(Qt::FindDirectChildrenOnly))
        box->done(QMessageBox::Ok);
}

void frmDialer::StartSecondsCounter()
{
    Timer1.start();
}

bool frmDialer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Picture1 && event->type() == QEvent::MouseButtonRelease && Picture1->isEnabled())
        cmdRecCall_Click();
    return QDialog::eventFilter(watched, event);
}
