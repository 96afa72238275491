#include "data/modOpenFile.h"

#include "app.h"
#include "data/launch_fields.h"
#include "data/modSaveAs.h"
#include "dates/datetime.h"
#include "dates/zone.h"

#include <filesystem>

namespace orvane {

namespace {

std::string fullPath(const std::string& path) {
    return std::filesystem::absolute(path).lexically_normal().string();
}

// A launch time the clocks skip never comes: a file holding one is refused, as the entry
// boxes refuse it.
std::string skippedLaunchTime(App& app, const std::string& launchTime) {
    const std::optional<DateTime> launch = toDateTime(launchTime);
    if (!launch)
        return {};
    const TimeZone zone = app.services().clock.zone();
    const WallTimeMeaning meaning = zone.meaning(*launch);
    if (meaning.kind != WallTimeMeaning::Kind::Skipped)
        return {};
    return "field 1 is a launch time the clocks skip: " + skippedTimeText(*launch, meaning, zone);
}

// The file's content checked whole, or what is wrong with it.
std::optional<LaunchData> readWhole(App& app, const std::string& path, std::string& problem) {
    const FileContent file = app.services().files.read(path, LaunchFileLimit);
    if (file.tooLarge) {
        app.launchFileNames().unreadable.insert(path);
        problem = std::string("it is larger than ") + LaunchFileLimitText +
                  ", too large for a launch data file";
        return std::nullopt;
    }
    if (!file.content) {
        problem = file.missing ? "the file does not exist" : file.error;
        return std::nullopt;
    }
    LaunchFileRead read = parseLaunchFile(*file.content);
    if (read.data)
        read.problem = skippedLaunchTime(app, read.data->lblTarget);
    if (!read.problem.empty())
        read.data.reset();
    if (!read.data) {
        // Its content is the user's: a save over it keeps it beside as FILE.bad.
        app.launchFileNames().unreadable.insert(path);
        problem = read.problem;
    }
    return std::move(read.data);
}

void nameFile(App& app, const std::string& path) {
    LaunchFileNames& names = app.launchFileNames();
    names.openPath = path;
    names.savePath = path;
    showLaunchFile(app, path);
}

} // namespace

std::string defaultLaunchFile(App& app) {
    Files& files = app.services().files;
    std::string folder = app.info().programDir;
    if (app.info().installed || !files.isWritableFolder(folder)) {
        const std::string own = files.userDataFolder();
        if (!own.empty())
            folder = own;
    }
    return fullPath((std::filesystem::path(folder) / "launch.ovx").string());
}

bool ReadLaunchFile(App& app, bool showDialog) {
    const std::string shown = shownLaunchFile(app);
    // Nothing shown yet: start-up, which reads the file named on the command line, else the
    // default file.
    const bool startUp = shown.empty() && !showDialog;
    const std::string& given = app.info().startFile;
    std::string path = !shown.empty()              ? shown
                       : startUp && !given.empty() ? given
                                                   : defaultLaunchFile(app);
    if (showDialog) {
        const auto chosen = app.services().dialogs.openFile(
            {"Open . . .", "Orvane Files (*.ovx)|*.ovx", "ovx", path, {}});
        if (!chosen)
            return false;
        path = fullPath(*chosen);
    }

    std::string problem;
    const std::optional<LaunchData> data = readWhole(app, path, problem);
    if (!data) {
        // A first run has no file yet: the first save makes it, without a word. A file named
        // on the command line was asked for, so its absence is reported like any other fault.
        const bool firstRun = startUp && given.empty() && problem == "the file does not exist";
        if (!firstRun) {
            if (problem.ends_with('.'))
                problem.pop_back();
            const std::string& title = app.info().title;
            app.services().dialogs.messageBox(title + " could not read " + path + ": " + problem +
                                                  ".",
                                              Buttons::OK, Icon::Exclamation, title);
        }
        // After a file that could not be read, the program starts as on a first run, with the
        // file it was asked for as its file: a missing one is made by the first save, and a bad
        // one is kept beside it before a save replaces it.
        if (startUp)
            nameFile(app, path);
        return false;
    }
    const Instant before = app.launchMoment();
    applyLaunchData(app, *data);
    app.launchFileNames().unreadable.erase(path);
    // The file read is the file saved next, whatever location its field 12 recorded.
    nameFile(app, path);
    app.launchDataRead();
    Happening h = app.happening(Happening::Kind::FileRead);
    h.path = path;
    // The launch time it read, beside the one it replaced.
    if (!startUp)
        h.oldLaunch = before;
    h.newLaunch = app.launchMoment();
    app.raise(h);
    return true;
}

void OpenLaunchFile(App& app) {
    const std::string& title = app.info().title;
    Dialogs& dialogs = app.services().dialogs;
    const Answer answer = dialogs.messageBox(
        "Do you want to save " + app.launchFileNames().openPath +
            " before opening a new file?  If you click NO then all changes since your last "
            "save will be lost.",
        Buttons::YesNoCancel, Icon::Question, title);
    if (answer == Answer::Cancel)
        return;
    if (answer == Answer::Yes) {
        if (!WriteLaunchFile(app, false))
            return;
        dialogs.messageBox("Your file has been saved.  You may now open a new file.", Buttons::OK,
                           Icon::Information, title);
    }
    ReadLaunchFile(app, true);
}

} // namespace orvane
