#include "data/modSaveAs.h"

#include "app.h"
#include "data/launch_fields.h"

#include <filesystem>

namespace orvane {

namespace {

std::string fullPath(const std::string& path) {
    return std::filesystem::absolute(path).lexically_normal().string();
}

// A file this run could not read is kept before a save replaces it, under the first free name
// of FILE.bad, FILE.bad.1, FILE.bad.2, ...: a kept copy is never overwritten. Returns why it
// could not be kept, or nothing.
std::string keepUnreadable(App& app, const std::string& path) {
    if (!app.launchFileNames().unreadable.contains(path))
        return {};
    Files& files = app.services().files;
    constexpr int MostCopies = 1000;
    std::string copy;
    for (int n = 0; n < MostCopies; ++n) {
        copy = path + ".bad";
        if (n > 0)
            copy.append(".").append(std::to_string(n));
        const KeepCopy kept = files.keepCopy(path, copy);
        if (kept.kept || kept.missing)
            return {};
        if (!kept.taken)
            return "the file it replaces could not be kept as " + copy + " (" + kept.error + ")";
    }
    return "the file it replaces could not be kept: " + path + ".bad to " + copy + " are all taken";
}

} // namespace

bool WriteLaunchFile(App& app, bool showDialog) {
    LaunchFileNames& names = app.launchFileNames();
    std::string path = names.savePath;
    if (showDialog) {
        const auto chosen = app.services().dialogs.saveFile(
            {"Save As . . .", "Orvane Files (*.ovx)|*ovx", "ovx", fullPath(path), {}});
        if (!chosen)
            return false;
        path = fullPath(*chosen);
    }

    LaunchData data = collectLaunchData(app);
    data.savePath = path;
    std::string why = keepUnreadable(app, path);
    if (why.empty())
        why = app.services().files.writeWhole(path, formatLaunchFile(data));
    if (!why.empty()) {
        if (why.ends_with('.'))
            why.pop_back();
        const std::string& title = app.info().title;
        app.services().dialogs.messageBox(title + " could not save " + path + ": " + why + ".",
                                          Buttons::OK, Icon::Exclamation, title);
        return false;
    }
    names.unreadable.erase(path);
    showLaunchFile(app, path);
    names.openPath = path;
    names.savePath = path;
    Happening h = app.happening(Happening::Kind::FileSaved);
    h.path = path;
    app.raise(h);
    return true;
}

} // namespace orvane
