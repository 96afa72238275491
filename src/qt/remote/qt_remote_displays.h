#pragma once

// The serving of the count as the windows ask for it (the Remote Displays dialog, the
// --serve option, the choice kept in the settings), on the Qt side.

#include "remote/frmRemoteDisplays.h"

#include <memory>

namespace orvane {

class App;
class QtView;
class RemoteServer;

class QtRemoteDisplays : public RemoteDisplays {
  public:
    QtRemoteDisplays(App& app, QtView& view);
    ~QtRemoteDisplays() override;

    // Prints "Serving on http://ADDRESS:PORT/" with the real port once serving starts.
    std::string serve(const ServeAddress& where) override;
    void stop() override;
    bool serving() const override;
    ServeAddress servingAt() const override;
    std::string pageAddress() const override;
    int watchers() const override;
    void showCode(PictureBox& picture, const std::string& text) override;
    Pairing* pairing() override { return m_pairing.get(); }
    std::string offerPairingCode() override;
    bool servesNames() const override { return m_servesNames; }
    void controlChanged() override;
    std::string setTls(const std::string& certificate, const std::string& key) override;
    // Names given with --serve-name: a reverse proxy before the server answers to them.
    void setServesNames(bool names) { m_servesNames = names; }

    RemoteServer& server() { return *m_server; }

  private:
    QtView& m_view;
    std::unique_ptr<RemoteServer> m_server;
    std::unique_ptr<Pairing> m_pairing;
    bool m_servesNames = false;
};

} // namespace orvane
