#pragma once

// Drives the running program from its standard input, for the tests that watch the real
// program from outside (the remote displays' browser test). Switched on only by the
// environment variable ORVANE_DRIVE_STDIN=1; then each line is one input, delivered as a
// user's would be, and answered on standard output with "done LINE" or "error LINE: WHY":
//   click FORM.CONTROL[(INDEX)]
//   set FORM.CONTROL[(INDEX)].PROPERTY VALUE     (as the program's own code assigns it)
//   set FORM.RECORD.PROPERTY VALUE               (frmEventTimers.EventData.Secs2)
//   get FORM.CONTROL[(INDEX)].PROPERTY           (answered "done LINE = VALUE", the value
//                                                 as scripts print it)
//   end                                          (the program ends, as after its exit)
// The end of the input ends the program too.

#include <QObject>

#include <string>

class QSocketNotifier;

namespace orvane {

class App;

class StdinDriver : public QObject {
  public:
    explicit StdinDriver(App& app);
    static bool wanted();

  private:
    void readInput();
    // Empty on success, else why not; a value read is left in ANSWER.
    std::string run(const std::string& line, std::string& answer);

    App& m_app;
    QSocketNotifier* m_notifier;
    std::string m_buffer;
};

} // namespace orvane
