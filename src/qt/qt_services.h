#pragma once

// The real outside world for the program: the system clock, message boxes and file dialogs,
// the per-user settings store, help, and the process services.

#include "platform/services.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <random>
#include <string>

class QLocalServer;

namespace orvane {

class QtView;

class QtClock : public Clock {
  public:
    Instant instant() const override;
    TimeZone zone() const override;
    // The computer's clock is left alone for now: the request is refused with a reason.
    std::string setSystemDateTime(DateTime when) override;

  private:
    // The zone as read at the start of the second the clock last showed.
    mutable std::int64_t m_zoneSecond = -1;
    mutable TimeZone m_zone = TimeZone::utc();
};

class QtDialogs : public Dialogs {
  public:
    // Pop-up menus are the ones the view built for the windows.
    void setView(const QtView* view) { m_view = view; }

    Answer messageBox(const std::string& text, Buttons buttons, Icon icon,
                      const std::string& title) override;
    std::optional<std::string> openFile(const FileDialogRequest& request) override;
    std::optional<std::string> saveFile(const FileDialogRequest& request) override;
    void popupMenu(MenuItem& menu) override;

    // "Orvane Files (*.ovx)|*.ovx" in Qt's form, "Orvane Files (*.ovx)".
    static QString qtFilter(const std::string& filter);

  private:
    const QtView* m_view = nullptr;
};

class QtSettings : public Settings {
  public:
    std::string get(const std::string& appName, const std::string& section, const std::string& key,
                    const std::string& fallback) override;
    void save(const std::string& appName, const std::string& section, const std::string& key,
              const std::string& value) override;
};

class QtHelp : public Help {
  public:
    // The help viewer arrives with the help pages.
    void showTopic(const std::string&, const std::string&) override {}
    void closeAll(const std::string&) override {}
};

class QtProcess : public Process {
  public:
    QtProcess();
    ~QtProcess() override;

    // Holds a name in the abstract socket namespace for as long as this copy runs; the
    // kernel frees it the moment the process ends, however it ends.
    bool claimSingleInstance() override;
    void endProgram() override;
    void startProgram(const std::string& path) override;
    void randomize() override;
    double random() override;

    // The name claimed: "orvane-single-instance", or ORVANE_INSTANCE_NAME when set.
    static QString instanceName();

  private:
    std::unique_ptr<QLocalServer> m_server;
    std::mt19937 m_random;
};

} // namespace orvane
