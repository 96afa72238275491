#include "qt/qt_x11.h"

#include <QGuiApplication>
#include <QtGlobal>

#include <sys/socket.h>
#include <xcb/xcb.h>

namespace orvane {

namespace {
constexpr const char* noSharedMemory = "QT_XCB_NO_MITSHM";
} // namespace

X11Painting::X11Painting() {
    // Qt reads the variable when it connects, and any value turns shared memory off.
    if (!qEnvironmentVariableIsSet(noSharedMemory)) {
        qputenv(noSharedMemory, "1");
        m_setHere = true;
    }
}

void X11Painting::connected() {
    if (m_setHere)
        qunsetenv(noSharedMemory);
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return;
    // A socket takes more while under a quarter of its buffer is in use. The kernel caps the
    // size at net.core.wmem_max, which still doubles the default.
    const int fd = xcb_get_file_descriptor(x11->connection());
    const int size = 1 << 20;
    if (fd >= 0)
        ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
}

} // namespace orvane
