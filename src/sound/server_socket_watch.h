#pragma once

// Where a sound server on this computer will listen, watched: without a server, the output
// learns from the kernel the moment one makes its socket, instead of looking for it again and
// again. Each look costs the machine as much as a second of the count shown.

#include <string>

namespace orvane {

class ServerSocketWatch {
  public:
    ServerSocketWatch() = default;
    ~ServerSocketWatch();
    ServerSocketWatch(const ServerSocketWatch&) = delete;
    ServerSocketWatch& operator=(const ServerSocketWatch&) = delete;

    // The socket the sound library connects to, from its environment: the one socket
    // PULSE_SERVER names (as "unix:PATH" or "PATH", after an optional "{machine}"), else
    // PULSE_RUNTIME_PATH/native, else XDG_RUNTIME_DIR/pulse/native. Empty when the server is
    // reached some other way (over the network, or more than one server named): it is then
    // looked for by time alone. Any of the three may be null.
    static std::string socketPath(const char* pulseServer, const char* pulseRuntimePath,
                                  const char* xdgRuntimeDir);

    // Watches PATH's folder for the socket, and the folder above it for the folder itself,
    // which may not be there yet. False when neither can be watched.
    bool start(const std::string& path);
    // The descriptor that becomes readable when something happened there; -1 when not
    // watching.
    int fd() const { return m_fd; }
    // Reads what happened, without waiting: true when the socket (or its folder) appeared.
    bool appeared();

  private:
    void watchFolder();

    int m_fd = -1;
    int m_folderWatch = -1; // the socket's folder
    int m_aboveWatch = -1;  // the folder above it
    std::string m_folder;
    std::string m_name;       // the socket's name in its folder
    std::string m_folderName; // the folder's name in the one above
};

} // namespace orvane
