#pragma once

// How the program paints on an X server.
//
// The count repaints a few small labels in every window once a second. Through MIT-SHM, Qt's
// X11 backing store waits for the server to finish reading the last image before it paints the
// same place again: a round trip per window per second, which wakes the program and Qt's X
// reader thread twice each. Sent through the connection, a second's labels are some tens of
// kilobytes that the server takes without a reply, so the program sleeps until the next
// second. The connection gets the room for them, so that a write does not wait on the server.

namespace orvane {

class X11Painting {
  public:
    // Before the application object exists: Qt is to paint through the X connection.
    X11Painting();
    // Once it exists: widens the X connection's send buffer, and takes back what was set for
    // Qt, so that programs started from here paint as they would.
    void connected();

  private:
    bool m_setHere = false;
};

} // namespace orvane
