#pragma once

// The real outside world for the program: the system clock, message boxes and file dialogs,
// the per-user settings store, help, the process services and files.

#include "services/services.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <random>
#include <string>

class QLocalServer;

namespace orvane {

class QtView;
class Timedated;

// The files that set the system's zone, /etc/localtime and /etc/timezone, watched by the kernel:
// whether they changed is learnt by one read that never waits, where looking at them would walk
// their paths at every second.
class ZoneFilesWatch {
  public:
    explicit ZoneFilesWatch(const std::string& folder = "/etc");
    ~ZoneFilesWatch();
    ZoneFilesWatch(const ZoneFilesWatch&) = delete;
    ZoneFilesWatch& operator=(const ZoneFilesWatch&) = delete;
    // Whether the kernel watches them; when not, they are looked at every second.
    bool watching() const { return m_fd >= 0; }
    // Whether either file was made, changed, replaced or taken away since the last call.
    bool changed();

  private:
    int m_fd = -1;
};

class QtClock : public Clock {
  public:
    // BUS_ADDRESS: the bus to find the clock service on, when not the system bus (tests).
    explicit QtClock(QString busAddress = {}, int timeoutMs = 60000);
    ~QtClock() override;

    Instant instant() const override;
    std::int64_t unixMs() const override;
    TimeZone zone() const override;
    std::int64_t monotonicMs() const override;
    // Through systemd-timedated, which answers later.
    void setSystemDateTime(DateTime when, int msIntoSecond, SetAnswer answer) override;

  private:
    std::unique_ptr<Timedated> m_timedated;
    // The zone as read at the start of the second the clock last showed, and what the
    // system's setting of it looked like then.
    mutable std::int64_t m_zoneSecond = -1;
    mutable TimeZone m_zone = TimeZone::utc();
    mutable std::string m_zoneSetting;
    mutable ZoneFilesWatch m_zoneFiles;
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

    // The program keeps one settings file, APPNAME.ini. Earlier builds kept some choices in
    // OLDNAME.ini beside it: its keys move over (a key already set stays as it is) and the old
    // file goes, so this happens once. Returns whether a file was moved.
    static bool moveOldFile(const std::string& oldName, const std::string& appName);
};

// The help viewer: a window of the program's own showing the help pages compiled into it.
// Whatever help file is named, the pages are the program's; a topic names one of them.
class QtHelp : public Help {
  public:
    QtHelp();
    ~QtHelp() override;
    QtHelp(const QtHelp&) = delete;
    QtHelp& operator=(const QtHelp&) = delete;

    // Opens the viewer on the topic's page, or turns the open viewer to it.
    void showTopic(const std::string& file, const std::string& topic) override;
    void closeAll(const std::string& file) override;

    // The viewers open now.
    QList<QWidget*> viewers() const;
    // The page a topic opens: "orvhlp\\main.htm" and "main.htm" both open the main page, and
    // a topic naming no page opens it too.
    static QUrl pageOf(const std::string& topic);

  private:
    QList<QPointer<QWidget>> m_viewers;
};

// Launch data files: saved through QSaveFile, so that a save that fails, however it fails,
// leaves the old file whole.
class QtFiles : public Files {
  public:
    FileContent read(const std::string& path, std::size_t limit) override;
    KeepCopy keepCopy(const std::string& path, const std::string& copy) override;
    std::string writeWhole(const std::string& path, const std::string& content) override;
    bool isWritableFolder(const std::string& folder) override;
    // Qt's application data folder for this user.
    std::string userDataFolder() override;
};

class QtProcess : public Process {
  public:
    // Where the calculator is asked for, the desktop's own calculator is started.
    static constexpr const char* WindowsCalculator = "c:\\windows\\calc.exe";

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
    // The first desktop calculator installed on the search path; empty when there is none.
    static QString desktopCalculator();
    // Where "no calculator" is said; a message box of the program's own when not set.
    void setDialogs(Dialogs* dialogs) { m_dialogs = dialogs; }

  private:
    std::unique_ptr<QLocalServer> m_server;
    std::mt19937 m_random;
    Dialogs* m_dialogs = nullptr;
};

} // namespace orvane
