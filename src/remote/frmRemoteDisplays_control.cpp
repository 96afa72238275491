// The Remote Displays dialog's part on control by paired devices: the choice to allow it,
// pairing a device with a code shown here, and the devices paired, each to forget.

#include "remote/frmRemoteDisplays.h"

#include "app.h"
#include "clock/frmOrvane.h"
#include "remote/remote_control.h"

namespace orvane {

namespace {

// A loopback address reaches this computer alone.
bool loopback(const std::string& page) {
    return page.starts_with("http://127.") || page.starts_with("http://[::1]") ||
           page.starts_with("https://127.") || page.starts_with("https://[::1]");
}

std::string seenText(std::int64_t agoMs) {
    const std::int64_t minutes = agoMs / 60'000;
    if (minutes < 1)
        return "seen just now";
    if (minutes < 60)
        return "seen " + std::to_string(minutes) + " min ago";
    if (minutes < 48 * 60)
        return "seen " + std::to_string(minutes / 60) + " h ago";
    return "seen " + std::to_string(minutes / (24 * 60)) + " days ago";
}

} // namespace

void frmRemoteDisplays::layOutControl() {
    chkControl.setCaption("&Let paired devices control the count");
    chkControl.move(5820, 180, 5100, 330);
    cmdPair.setCaption("P&air a device . . .");
    cmdPair.move(5820, 600, 2400, 375);
    lblPairCode.setFont(Font{14, true, "DejaVu Sans Mono"});
    lblPairCode.setAlignment(Align::Center);
    lblPairCode.move(8340, 570, 2580, 435);
    lblPairNote.setWordWrap(true);
    lblPairNote.move(5820, 1080, 5100, 720);
    lblDevices.setCaption("Paired devices:");
    lblDevices.move(5820, 1920, 5100, 300);
    for (std::size_t i = 0; i < DeviceRows; ++i) {
        const int top = 2280 + int(i) * 420;
        lblDevice[i].move(5820, top + 45, 3900, 300);
        cmdForget[i].setCaption("Forget");
        cmdForget[i].move(9840, top, 1080, 375);
        cmdForget[i].onClick = [this, i] {
            if (Pairing* pairing = m_remote.pairing())
                pairing->forget(i);
            ShowControl();
        };
    }
    cmdForgetAll.setCaption("Forget all");
    cmdForgetAll.move(9840, 2280 + int(DeviceRows) * 420, 1080, 375);
    lblTls.setCaption("Serve over HTTPS with this PEM certificate and key (empty: plain "
                      "HTTP):");
    lblTls.setWordWrap(true);
    lblTls.move(5820, 6180, 5100, 480);
    lblTlsCert.setCaption("Certificate:");
    lblTlsCert.move(5820, 6780, 1200, 300);
    txtTlsCert.move(7020, 6720, 3900, 360);
    lblTlsKey.setCaption("Key:");
    lblTlsKey.move(5820, 7200, 1200, 300);
    txtTlsKey.move(7020, 7140, 3900, 360);
    cmdForgetAll.onClick = [this] {
        if (Pairing* pairing = m_remote.pairing())
            pairing->forgetAll();
        ShowControl();
    };
    chkControl.onClick = [this] {
        if (m_showing)
            return;
        setControlAllowed(services().settings, m_app.info().exeName, chkControl.value() == 1);
        m_remote.controlChanged();
        ShowControl();
    };
    cmdPair.onClick = [this] { PairDevice(); };
}

void frmRemoteDisplays::PairDevice() {
    m_pairLink = m_remote.offerPairingCode();
    ShowServing();
}

// Pairing needs an address a phone can reach: not while the program serves this computer
// alone, unless a reverse proxy before it answers to a name given with --serve-name.
void frmRemoteDisplays::ShowControl() {
    Settings& settings = services().settings;
    const bool allowed = controlAllowed(settings, m_app.info().exeName);
    if (chkControl.value() != (allowed ? 1 : 0)) {
        m_showing = true;
        chkControl.setValue(allowed ? 1 : 0);
        m_showing = false;
    }
    Pairing* pairing = m_remote.pairing();
    const bool following = m_app.frmOrvane().following();
    chkControl.setEnabled(pairing && !following);
    const bool serving = m_remote.serving();
    const bool local = serving && loopback(m_remote.pageAddress()) && !m_remote.servesNames();
    std::string why;
    if (!pairing)
        why = "This copy of the program cannot be controlled from other devices.";
    else if (following)
        why = "A follower takes no commands: its count is its leader's.";
    else if (!serving)
        why = "Serve the count to pair a device.";
    else if (local)
        why = "Serving this computer only (127.0.0.1): no phone can reach it. Serve on an "
              "address of the network (0.0.0.0), or behind a reverse proxy with --serve-name.";
    cmdPair.setEnabled(why.empty());

    const std::optional<std::string> code = pairing ? pairing->code() : std::nullopt;
    if (!code && !m_pairLink.empty()) {
        // The code was used or ran out: the page's own code comes back.
        m_pairLink.clear();
        ShowServing();
        return;
    }
    if (!why.empty()) {
        lblPairCode.setCaption("");
        lblPairNote.setCaption(why);
    } else if (code) {
        lblPairCode.setCaption(code->substr(0, 3) + " " + code->substr(3));
        const std::int64_t left = (pairing->codeLeftMs() + 999) / 1000;
        lblPairNote.setCaption("On the device, open " + m_remote.pageAddress() +
                               "control or read the code, and type these six digits within " +
                               std::to_string(left) + " seconds. They pair one device.");
    } else if (const std::int64_t locked = pairing->lockedForMs(); locked > 0) {
        lblPairCode.setCaption("");
        lblPairNote.setCaption("Pairing is locked for " + std::to_string((locked + 999) / 1000) +
                               " seconds after too many wrong codes.");
    } else {
        lblPairCode.setCaption("");
        lblPairNote.setCaption(allowed ? "Paired devices may hold and resume the count."
                                       : "Paired devices only watch until control is let.");
    }

    const std::size_t count = pairing ? pairing->devices().size() : 0;
    const std::int64_t now = m_app.trueTimeMs();
    for (std::size_t i = 0; i < DeviceRows; ++i) {
        const bool shown = i < count;
        lblDevice[i].setVisible(shown);
        cmdForget[i].setVisible(shown);
        if (shown) {
            const PairedDevice& d = pairing->devices()[i];
            lblDevice[i].setCaption(d.name + " (" + seenText(now - d.lastSeenMs) + ")");
        }
    }
    lblDevices.setCaption(count == 0 ? "No device is paired." : "Paired devices:");
    cmdForgetAll.setEnabled(count > 0);
}

} // namespace orvane
