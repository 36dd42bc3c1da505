#pragma once

#include "common/RegistryRoutines.h"
#include "service/host/ServiceMainForm.h"
#include "service/host/WebServerControl.h"
#include "service/line/LineState.h"

#include <QString>

#include <memory>
#include <optional>

class Journal;
class MessageControl;
class ServiceRoot;
class SpeechEngine;
class TelephonyControl;
class WaveControl;
class frmLine;

// The service's hidden main form. Loading it is the service's start-up:
// channels 305 and 306, the text table, speech, journals, the web server when
// remote access is allowed, telephony, the line engine and the stored line
// state, the sound device. Unloading it closes the line, the web server and
// speech, in that order.
class frmMain final : public ServiceMainForm {
    Q_OBJECT
public:
    // root: what the service works through; the form owns it.
    explicit frmMain(std::unique_ptr<ServiceRoot> root, QObject* parent = nullptr);
    ~frmMain() override;

    void load() override;
    void unload() override;
    bool isLoaded() const override { return m_loaded; }

    // 305: process control; the whole text is the command.
    void udiProc_MessageArrived(const QString& text);
    // 306: speech; line 0 is the command, the fields follow.
    void uDiTTS_MessageArrived(const QString& text);

    // The native path a "MakeWave" file name is written to: a plain file
    // name in the program folder's Sound folder; nullopt for anything else.
    static std::optional<QString> MakeWavePath(const QString& fileName);

    // The product's settings key; each use sets its own section.
    RegistryRoutines Reg;
    // The web-settings record (LoadWebAccessSettings).
    WebAccessSettings Web;

    // While loaded; the line engine only once telephony could be initialised.
    frmLine* line() const { return m_line; }
    SpeechEngine* tts() const { return m_tts; }
    bool isWebServerLoaded() const { return m_http != nullptr; }
    const LineState& lineState() const { return m_state; }

private:
    Journal& journal() const;
    void LoadWebAccessSettings();
    void loadWebServer();
    void unloadWebServer();
    // chkAllowWWWRemoteAccess, as "OPEN_WEB" and "CLOSE_WEB" leave it.
    void storeRemoteAccess(bool allowed);
    void applyStoredLineState();
    // cmbSoundDev into lSoundDeviceIndex; at start-up "0" becomes the name
    // of device 0.
    void readSoundDevice(bool replaceZero);

    // Before the members that use what it holds, so it goes after them.
    std::unique_ptr<ServiceRoot> m_root;
    LineState m_state;
    MessageControl* udiProc = nullptr;
    MessageControl* uDiTTS = nullptr;
    TelephonyControl* const Tapi1;
    WaveControl* const Wave1; // the sound card, for the device names
    SpeechEngine* m_tts = nullptr; // while loaded
    WebServerControl* m_http = nullptr;
    frmLine* m_line = nullptr;
    bool m_loaded = false;
    bool m_unloading = false;
};
