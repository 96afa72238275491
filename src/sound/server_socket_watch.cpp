#include "sound/server_socket_watch.h"

#include "services/watch_events.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <sstream>
#include <string_view>
#include <tuple>
#include <utility>

namespace orvane {

namespace {

std::pair<std::string, std::string> split(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return {};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

bool set(const char* value) {
    return value && *value;
}

} // namespace

std::string ServerSocketWatch::socketPath(const char* pulseServer, const char* pulseRuntimePath,
                                          const char* xdgRuntimeDir) {
    if (set(pulseServer)) {
        std::istringstream words{std::string(pulseServer)};
        std::string server, another;
        if (!(words >> server) || (words >> another))
            return {};
        if (server.front() == '{') {
            const std::size_t close = server.find('}');
            if (close == std::string::npos)
                return {};
            server.erase(0, close + 1);
        }
        if (server.rfind("unix:", 0) == 0)
            server.erase(0, 5);
        return server.size() > 1 && server.front() == '/' && server.back() != '/' ? server
                                                                                  : std::string();
    }
    if (set(pulseRuntimePath))
        return std::string(pulseRuntimePath) + "/native";
    if (set(xdgRuntimeDir))
        return std::string(xdgRuntimeDir) + "/pulse/native";
    return {};
}

ServerSocketWatch::~ServerSocketWatch() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool ServerSocketWatch::start(const std::string& path) {
    std::tie(m_folder, m_name) = split(path);
    if (m_folder.empty() || m_name.empty())
        return false;
    std::string above;
    std::tie(above, m_folderName) = split(m_folder);
    m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0)
        return false;
    if (!above.empty() && !m_folderName.empty())
        m_aboveWatch =
            ::inotify_add_watch(m_fd, above.c_str(), IN_CREATE | IN_MOVED_TO | IN_ONLYDIR);
    watchFolder();
    if (m_folderWatch < 0 && m_aboveWatch < 0) {
        ::close(m_fd);
        m_fd = -1;
        return false;
    }
    return true;
}

void ServerSocketWatch::watchFolder() {
    m_folderWatch =
        ::inotify_add_watch(m_fd, m_folder.c_str(), IN_CREATE | IN_MOVED_TO | IN_ONLYDIR);
}

bool ServerSocketWatch::appeared() {
    bool appeared = false;
    // A folder that went is seen coming back from the one above, and watched anew.
    readWatchEvents(m_fd, [&](int watch, std::uint32_t, std::string_view name) {
        if (watch == m_folderWatch && name == m_name) {
            appeared = true;
        } else if (watch == m_aboveWatch && name == m_folderName) {
            watchFolder();
            appeared = true;
        }
    });
    return appeared;
}

} // namespace orvane
