#pragma once

#include <QObject>
#include <QString>

// What a line device can do, as GetDeviceCaps reports it for the current line.
struct DeviceCaps {
    QString DeviceName;
    bool VoiceCapability = false;
    // Delivers the caller's number through the telephony layer; with
    // TapiCapability it makes a line one to recommend.
    bool CallerIdCapability = false;
    bool TapiCapability = false;
    bool MonitorDigits = false;
    bool GenerateDigits = false;
};

// Result codes of the line members; 0 is success.
namespace LineResult {
inline constexpr qint32 Ok = 0;
inline constexpr qint32 NotInitialized = 1;
inline constexpr qint32 BadDevice = 2;
inline constexpr qint32 NotOpen = 3;
inline constexpr qint32 BadPrivileges = 4;
inline constexpr qint32 NotOwner = 5;
inline constexpr qint32 NoCall = 6;
inline constexpr qint32 CallInProgress = 7;
inline constexpr qint32 NotOffered = 8;
inline constexpr qint32 BadNumber = 9;
inline constexpr qint32 Refused = 10; // a failure the test driver asked for
inline constexpr qint32 InitFailed = 11;
} // namespace LineResult

// Device classes of GetDeviceID.
namespace LineDeviceClass {
inline constexpr qint32 WaveIn = 1;
inline constexpr qint32 SerialPort = 22;
} // namespace LineDeviceClass

// Privileges and media modes of LineOpen, in the telephony layer's numbers:
// (6, 16) watches the line, (4, 8) takes it over as owner.
namespace LinePrivilege {
inline constexpr qint32 None = 1;
inline constexpr qint32 Monitor = 2;
inline constexpr qint32 Owner = 4;
} // namespace LinePrivilege

// What a line accepts as a number to dial: digits, the dial-string letters
// and the usual separators, nothing that could end a line or a command; an
// empty or blank number is none.
bool IsDialable(const QString& number);

// The line device layer (Tapi1 of the forms): line devices and their
// capabilities, open and close, and the steps of a call. Events arrive as
// signals on the event loop, never inside one of these calls, one at a time,
// in the order the line raised them; only a line that is open raises them.
class TelephonyControl : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // 0 when telephony can be used; until then there are no devices.
    [[nodiscard]] virtual qint32 Initialize() = 0;
    // The text for a result code, 0 included.
    virtual QString ErrorText(qint32 code) const = 0;
    virtual qint32 DeviceCount() const = 0;

    // The device the other members address; also the LineIndex of events.
    qint32 CurrentLine() const { return m_currentLine; }
    void setCurrentLine(qint32 index) { m_currentLine = index; }

    // Fills caps for the current line (cleared when it cannot be read).
    virtual qint32 GetDeviceCaps(DeviceCaps& caps) const = 0;
    virtual bool IsLineOpen() const = 0;
    [[nodiscard]] virtual qint32 LineOpen(qint32 privileges, qint32 mediaModes) = 0;
    [[nodiscard]] virtual qint32 LineClose() = 0;
    // Closes the line and ends this control's use of it.
    [[nodiscard]] virtual qint32 LineShutdown() = 0;
    // SerialPort: the path of the line device's serial port; WaveIn: the wave
    // input device that records the line. Empty when the line has none.
    virtual QString GetDeviceID(qint32 deviceClass) const = 0;
    [[nodiscard]] virtual qint32 LineDial(const QString& number) = 0;
    [[nodiscard]] virtual qint32 LineAnswer() = 0;
    [[nodiscard]] virtual qint32 LineDrop() = 0;
    virtual bool IsCallConnected() const = 0;

signals:
    void Dialing();
    void InComeCall();
    void Ring(qint32 count);
    void CallerID(const QString& name, const QString& number);
    void Connected();
    void Disconnected();
    void Idle();

private:
    qint32 m_currentLine = 0;
};
