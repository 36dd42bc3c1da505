#include "platform/SimulatedTelephony.h"

namespace {

QString result(qint32 code)
{
    return QStringLiteral(" -> ") + QString::number(code);
}

} // namespace

SimulatedTelephony::SimulatedTelephony(SimulatedLines* lines, QObject* parent)
    : TelephonyControl(parent)
    , m_lines(lines)
{
    for (int i = 0; lines && i < lines->count(); ++i) {
        SimulatedLineDevice* device = lines->device(i);
        connect(device, &SimulatedLineDevice::lineEvent, this,
            [this, device](const SimulatedLineEvent& event) { post(device, event); });
    }
}

SimulatedTelephony::~SimulatedTelephony()
{
    for (auto it = m_privileges.cbegin(); it != m_privileges.cend(); ++it)
        if (SimulatedLineDevice* device = m_lines ? m_lines->device(it.key()) : nullptr)
            device->detach(this);
}

qint32 SimulatedTelephony::Initialize()
{
    if (m_lines)
        m_lines->noteInitialize();
    if (!m_lines || m_lines->failures().consume(QStringLiteral("initialize"))) {
        m_initialized = false;
        return LineResult::InitFailed;
    }
    m_initialized = true;
    return LineResult::Ok;
}

QString SimulatedTelephony::ErrorText(qint32 code) const
{
    switch (code) {
    case LineResult::Ok:
        return QStringLiteral("Success");
    case LineResult::NotInitialized:
        return QStringLiteral("Telephony has not been initialized");
    case LineResult::BadDevice:
        return QStringLiteral("No line device has this index");
    case LineResult::NotOpen:
        return QStringLiteral("The line is not open");
    case LineResult::BadPrivileges:
        return QStringLiteral("The privileges or media modes are not valid");
    case LineResult::NotOwner:
        return QStringLiteral("The line is not open as its owner");
    case LineResult::NoCall:
        return QStringLiteral("There is no call on the line");
    case LineResult::CallInProgress:
        return QStringLiteral("A call is already in progress on the line");
    case LineResult::NotOffered:
        return QStringLiteral("No call is being offered on the line");
    case LineResult::BadNumber:
        return QStringLiteral("The number cannot be dialled");
    case LineResult::Refused:
        return QStringLiteral("The line refused the request");
    case LineResult::InitFailed:
        return QStringLiteral("Telephony could not be initialized");
    default:
        return QStringLiteral("Unknown telephony error %1").arg(code);
    }
}

qint32 SimulatedTelephony::DeviceCount() const
{
    return (m_initialized && m_lines) ? m_lines->count() : 0;
}

SimulatedLineDevice* SimulatedTelephony::current() const
{
    if (!m_initialized || !m_lines)
        return nullptr;
    return m_lines->device(CurrentLine());
}

qint32 SimulatedTelephony::GetDeviceCaps(DeviceCaps& caps) const
{
    caps = DeviceCaps();
    if (!m_initialized)
        return LineResult::NotInitialized;
    const SimulatedLineDevice* device = current();
    if (!device)
        return LineResult::BadDevice;
    caps = device->caps();
    return LineResult::Ok;
}

bool SimulatedTelephony::IsLineOpen() const
{
    return current() && m_privileges.contains(CurrentLine());
}

qint32 SimulatedTelephony::LineOpen(qint32 privileges, qint32 mediaModes)
{
    if (!m_initialized)
        return LineResult::NotInitialized;
    SimulatedLineDevice* device = current();
    if (!device)
        return LineResult::BadDevice;
    qint32 code = LineResult::Ok;
    const bool validPrivileges = privileges == LinePrivilege::None || privileges == LinePrivilege::Monitor
        || privileges == LinePrivilege::Owner
        || privileges == (LinePrivilege::Monitor | LinePrivilege::Owner);
    if (!validPrivileges || mediaModes <= 0)
        code = LineResult::BadPrivileges;
    else if (device->failures().consume(QStringLiteral("open")))
        code = LineResult::Refused;
    device->noteAction(QStringLiteral("open %1 %2").arg(privileges).arg(mediaModes) + result(code));
    if (code != LineResult::Ok)
        return code;
    m_privileges.insert(device->index(), privileges);
    device->attach(this, privileges, mediaModes);
    // A call already ringing when the line is opened (the modem handing the
    // line over) is reported as offered now.
    if (device->callState() == SimulatedLineDevice::CallState::Offering)
        post(device, {SimulatedLineEvent::InComeCall, 0, {}, {}});
    return LineResult::Ok;
}

qint32 SimulatedTelephony::closeLine(SimulatedLineDevice* device)
{
    if (device->failures().consume(QStringLiteral("close")))
        return LineResult::Refused;
    m_privileges.remove(device->index());
    ++m_closes[device->index()];
    device->detach(this);
    return LineResult::Ok;
}

qint32 SimulatedTelephony::LineClose()
{
    SimulatedLineDevice* device = current();
    if (!device)
        return m_initialized ? LineResult::BadDevice : LineResult::NotInitialized;
    const qint32 code = m_privileges.contains(device->index()) ? closeLine(device) : LineResult::NotOpen;
    device->noteAction(QStringLiteral("close") + result(code));
    return code;
}

qint32 SimulatedTelephony::LineShutdown()
{
    qint32 code = LineResult::Ok;
    const QList<int> open = m_privileges.keys();
    for (int index : open) {
        SimulatedLineDevice* device = m_lines ? m_lines->device(index) : nullptr;
        if (!device)
            continue;
        const qint32 closed = closeLine(device);
        device->noteAction(QStringLiteral("shutdown") + result(closed));
        if (closed != LineResult::Ok)
            code = closed;
    }
    return code;
}

QString SimulatedTelephony::GetDeviceID(qint32 deviceClass) const
{
    const SimulatedLineDevice* device = current();
    if (!device)
        return {};
    if (deviceClass == LineDeviceClass::SerialPort)
        return device->serialPort();
    if (deviceClass == LineDeviceClass::WaveIn)
        return device->waveInDevice();
    return {};
}

qint32 SimulatedTelephony::openLine(SimulatedLineDevice** device, bool asOwner) const
{
    *device = current();
    if (!*device)
        return m_initialized ? LineResult::BadDevice : LineResult::NotInitialized;
    const auto it = m_privileges.constFind((*device)->index());
    if (it == m_privileges.constEnd())
        return LineResult::NotOpen;
    if (asOwner && !(it.value() & LinePrivilege::Owner))
        return LineResult::NotOwner;
    return LineResult::Ok;
}

qint32 SimulatedTelephony::LineDial(const QString& number)
{
    // The caller owns the call it makes, whatever it watches the line for.
    SimulatedLineDevice* device = nullptr;
    qint32 code = openLine(&device, false);
    if (!device)
        return code;
    if (code == LineResult::Ok && !IsDialable(number))
        code = LineResult::BadNumber;
    else if (code == LineResult::Ok && device->hasCall())
        code = LineResult::CallInProgress;
    else if (code == LineResult::Ok && device->failures().consume(QStringLiteral("dial")))
        code = LineResult::Refused;
    device->noteAction(QStringLiteral("dial ") + SimulatedLineQuoted(number) + result(code));
    if (code == LineResult::Ok)
        device->dial(number);
    return code;
}

qint32 SimulatedTelephony::LineAnswer()
{
    SimulatedLineDevice* device = nullptr;
    qint32 code = openLine(&device, true);
    if (!device)
        return code;
    if (code == LineResult::Ok && device->callState() != SimulatedLineDevice::CallState::Offering)
        code = LineResult::NotOffered;
    else if (code == LineResult::Ok && device->failures().consume(QStringLiteral("answer")))
        code = LineResult::Refused;
    device->noteAction(QStringLiteral("answer") + result(code));
    if (code == LineResult::Ok)
        device->answer();
    return code;
}

qint32 SimulatedTelephony::LineDrop()
{
    SimulatedLineDevice* device = nullptr;
    qint32 code = openLine(&device, true);
    if (!device)
        return code;
    if (code == LineResult::Ok && !device->hasCall())
        code = LineResult::NoCall;
    else if (code == LineResult::Ok && device->failures().consume(QStringLiteral("drop")))
        code = LineResult::Refused;
    device->noteAction(QStringLiteral("drop") + result(code));
    if (code == LineResult::Ok)
        device->drop();
    return code;
}

bool SimulatedTelephony::IsCallConnected() const
{
    const SimulatedLineDevice* device = current();
    return device && m_privileges.contains(device->index())
        && device->callState() == SimulatedLineDevice::CallState::Connected;
}

void SimulatedTelephony::post(SimulatedLineDevice* device, const SimulatedLineEvent& event)
{
    const auto it = m_privileges.constFind(device->index());
    if (it == m_privileges.constEnd() || !(it.value() & (LinePrivilege::Monitor | LinePrivilege::Owner)))
        return;
    // Never inside the member call that caused it: the handler runs from the
    // event loop, and not at all once this control has closed the line.
    const int index = device->index();
    const quint64 closes = m_closes.value(index);
    QMetaObject::invokeMethod(
        this,
        [this, index, closes, event] {
            if (m_privileges.contains(index) && m_closes.value(index) == closes)
                raise(event);
        },
        Qt::QueuedConnection);
}

void SimulatedTelephony::raise(const SimulatedLineEvent& event)
{
    switch (event.kind) {
    case SimulatedLineEvent::Dialing:
        emit Dialing();
        break;
    case SimulatedLineEvent::InComeCall:
        emit InComeCall();
        break;
    case SimulatedLineEvent::Ring:
        emit Ring(event.count);
        break;
    case SimulatedLineEvent::CallerID:
        emit CallerID(event.name, event.number);
        break;
    case SimulatedLineEvent::Connected:
        emit Connected();
        break;
    case SimulatedLineEvent::Disconnected:
        emit Disconnected();
        break;
    case SimulatedLineEvent::Idle:
        emit Idle();
        break;
    }
}
