// Runs the Qt binding's tests on Qt's offscreen platform, with a home and a settings store of
// their own so that nothing the tests save lands in the user's.

#include "qt/qt_widgets.h"

#include <QApplication>
#include <QDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// The offscreen platform says so each time a window is raised or resized; nothing to learn.
void quietOffscreenNotes(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.startsWith(QLatin1String("This plugin does not support")))
        return;
    static const QtMessageHandler standard = qInstallMessageHandler(nullptr);
    standard(type, context, text);
}

} // namespace

int main(int argc, char** argv) {
    char folder[] = "/tmp/orvane-qt-tests-XXXXXX";
    if (!mkdtemp(folder))
        return 2;
    const std::string home = folder;
    QDir().mkpath(QString::fromStdString(home + "/config"));
    QDir().mkpath(QString::fromStdString(home + "/runtime"));
    QFile::setPermissions(QString::fromStdString(home + "/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (home + "/runtime").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);

    qInstallMessageHandler(quietOffscreenNotes);
    int rc = 0;
    {
        QApplication app(argc, argv);
        orvane::useDefaultFont();
        ::testing::InitGoogleTest(&argc, argv);
        rc = RUN_ALL_TESTS();
    }
    QDir(QString::fromStdString(home)).removeRecursively();
    return rc;
}
