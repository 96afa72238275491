#include "qt/qt_journal.h"

#include "app.h"
#include "journal/debrief.h"
#include "qt/command_line.h"
#include "qt/qt_drive.h"
#include "qt/qt_view.h"
#include "services/file_io.h"
#include "sqlite/sqlite_journal.h"
#include "toolkit/controls.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStandardPaths>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>

namespace orvane {

namespace {

QColor qcolor(std::uint32_t rgb) {
    return QColor(int(rgb >> 16 & 0xFF), int(rgb >> 8 & 0xFF), int(rgb & 0xFF));
}

void paint(QPainter& p, const Drawing& drawing) {
    for (const DrawItem& item : drawing.items) {
        QPen pen(qcolor(item.color), item.strokeWidth);
        if (item.dashed)
            pen.setDashPattern({6 / item.strokeWidth, 4 / item.strokeWidth});
        p.setPen(item.strokeWidth > 0 ? pen : QPen(Qt::NoPen));
        p.setBrush(item.fill == Drawing::NoFill ? QBrush(Qt::NoBrush) : QBrush(qcolor(item.fill)));
        switch (item.kind) {
        case DrawItem::Kind::Line: {
            QPainterPath path;
            for (std::size_t i = 0; i < item.points.size(); ++i) {
                const QPointF pt(item.points[i].first, item.points[i].second);
                i == 0 ? path.moveTo(pt) : path.lineTo(pt);
            }
            p.setBrush(Qt::NoBrush);
            p.drawPath(path);
            break;
        }
        case DrawItem::Kind::Rect:
            p.drawRect(QRectF(QPointF(item.points[0].first, item.points[0].second),
                              QPointF(item.points[1].first, item.points[1].second)));
            break;
        case DrawItem::Kind::Circle:
            p.drawEllipse(QPointF(item.points[0].first, item.points[0].second), item.size,
                          item.size);
            break;
        case DrawItem::Kind::Text: {
            QFont font = p.font();
            font.setPixelSize(int(item.size));
            font.setBold(item.bold);
            p.setFont(font);
            p.setPen(qcolor(item.color));
            const QString text = QString::fromStdString(item.text);
            const double width = QFontMetricsF(font).horizontalAdvance(text);
            double x = item.points[0].first;
            if (item.anchor == DrawItem::Anchor::Middle)
                x -= width / 2;
            else if (item.anchor == DrawItem::Anchor::End)
                x -= width;
            p.drawText(QPointF(x, item.points[0].second), text);
            break;
        }
        }
    }
}

} // namespace

void QtDebriefCanvas::draw(PictureBox& picture, const Drawing& drawing) {
    QWidget* box = m_view.widget(picture);
    if (!box)
        return;
    auto* label = box->findChild<QLabel*>(QStringLiteral("drawing"));
    if (!label) {
        label = new QLabel(box);
        label->setObjectName(QStringLiteral("drawing"));
    }
    label->setGeometry(box->rect());
    label->show();
    const qreal ratio = box->devicePixelRatioF();
    QPixmap pixmap(box->size() * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::white);
    if (drawing.width > 0) {
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(box->width() / drawing.width, box->height() / drawing.height);
        paint(p, drawing);
    }
    label->setPixmap(pixmap);
}

std::string journalFilePath() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("journal.sqlite"))
        .toStdString();
}

namespace {

// Rounds run at least once a second while the count runs: none for seconds, and they have
// stopped.
constexpr std::int64_t RoundsStaleMs = 5000;

std::int64_t steadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

QtJournal::QtJournal(App& app, QtView& view) : m_canvas(view) {
    // Tests make the journal full by capping its pages, as a full disk would.
    const char* maxPages = std::getenv("ORVANE_JOURNAL_MAX_PAGES");
    m_store = std::make_unique<SqliteJournalStore>(journalFilePath(),
                                                   maxPages ? std::atoll(maxPages) : 0);
    m_keeper = std::make_unique<JournalKeeper>(app, *m_store, m_canvas);
    // A program driven from its standard input tells each record there once it is committed.
    const bool echo = StdinDriver::wanted();
    Scheduler* scheduler = &app.services().scheduler;
    JournalKeeper* keeper = m_keeper.get();
    const std::weak_ptr<bool> alive = m_alive;
    const std::shared_ptr<Committed> committed = m_committed;
    m_store->onCommitted = [alive, echo, scheduler, keeper, committed](const JournalRecord& r) {
        if (echo) {
            const std::string details = formatDetails(r.details);
            std::printf("journal %s count=\"%s\"%s%s\n", r.kind.c_str(), r.count.c_str(),
                        details.empty() ? "" : " ", details.c_str());
            std::fflush(stdout);
        }
        committed->pending = true;
        const std::int64_t lastRound = committed->lastRoundMs;
        if (lastRound >= 0 && steadyMs() - lastRound <= RoundsStaleMs)
            return;
        postWhileAlive(alive, [scheduler, keeper, committed] {
            if (committed->pending.exchange(false))
                scheduler->deliver([keeper] { keeper->committed(); });
        });
    };
    m_rounds = app.happenings().subscribeRounds([keeper, committed] {
        committed->lastRoundMs = steadyMs();
        if (committed->pending.exchange(false))
            keeper->committed();
    });
    // The store's answers (a run read, an export written) come back to the user-interface
    // thread, to no one once the journal is gone.
    m_store->deliver = [alive, scheduler](std::function<void()> task) {
        postWhileAlive(alive, [scheduler, task = std::move(task)] { scheduler->deliver(task); });
    };
    // What goes wrong is also told on standard error, once, for a program run without a screen.
    auto told = std::make_shared<std::string>();
    m_store->onHealthChanged = [alive, scheduler, keeper, told] {
        postWhileAlive(alive, [scheduler, keeper, told] {
            const JournalHealth h = keeper->store().health();
            const std::string news = h.problem.empty() ? h.notice : h.problem;
            if (!news.empty() && news != *told)
                std::fprintf(stderr, "orvane: %s\n", news.c_str());
            *told = news;
            scheduler->deliver([keeper] { keeper->healthChanged(); });
        });
    };
}

// Called on the writer's thread; the task runs on the user-interface thread, and only while
// the journal ALIVE stands for still exists there: a record committed as the journal goes is
// told to no one.
void QtJournal::postWhileAlive(std::weak_ptr<bool> alive, std::function<void()> task) {
    QMetaObject::invokeMethod(
        qApp,
        [alive = std::move(alive), task = std::move(task)] {
            if (alive.lock())
                task();
        },
        Qt::QueuedConnection);
}

QtJournal::~QtJournal() {
    // The last records go in before the program ends, waited for a few seconds at most;
    // nothing is told any more, not even what the writer posted before it went idle.
    m_alive.reset();
    // The writer may still be telling of its last batch: its tasks find the journal gone.
    const std::size_t unwritten = m_store->finish(std::chrono::seconds(5));
    if (unwritten > 0)
        std::fprintf(stderr,
                     "orvane: %zu %s of the mission journal could not be written before "
                     "the program ended.\n",
                     unwritten, unwritten == 1 ? "record" : "records");
}

namespace {

int cannotWrite(const std::string& exeName, const std::string& out, const std::string& why) {
    std::cerr << exeName << ": cannot write " << out << ": " << why
              << (why.find("pipe") != std::string::npos ? " (give - to write to standard output)"
                                                        : "")
              << '\n';
    return 1;
}

} // namespace

// Written as the records are read: a run at a time for the report, a record at a time for
// the CSV, so that memory stays bounded whatever the journal's size.
int exportJournal(const JournalExportRequest& request, const std::string& exeName) {
    // Refused before anything is read or written: only a regular file is ever replaced.
    if (const std::string why = whyNotWritable(request.out); !why.empty())
        return cannotWrite(exeName, request.out, why);
    const TimeZone zone = TimeZone::current();
    FileWriter out(request.out);
    if (!out.error().empty())
        return cannotWrite(exeName, request.out, out.error());
    // The head goes out with the first record or at the end: a journal that cannot be read
    // leaves standard output empty.
    bool begun = false;
    auto begin = [&] {
        if (!begun)
            out.write(request.html ? debriefHtmlHead("Orvane debrief") : journalCsvHeader());
        begun = true;
    };
    DebriefHtmlRunWriter run(zone);
    bool anyRuns = false;
    auto writeRun = [&] {
        anyRuns = anyRuns || !run.empty();
        return run.finish([&](const std::string& piece) { return out.write(piece); });
    };
    const JournalChoice choice = request.all       ? JournalChoice::All
                                 : request.run > 0 ? JournalChoice::Run
                                                   : JournalChoice::LastRun;
    const std::string problem =
        readJournalRecords(journalFilePath(), choice, request.run, [&](JournalRecord&& r) {
            begin();
            if (!request.html)
                return out.write(journalCsvRow(r, zone));
            if (!run.empty() && run.run() != r.run && !writeRun())
                return false;
            run.add(r);
            return out.error().empty();
        });
    if (!problem.empty()) {
        // The file is not written: the writer goes, and any old file stays as it was.
        std::cerr << exeName << ": " << problem << '\n';
        return 1;
    }
    begin();
    if (request.html) {
        writeRun();
        out.write(debriefHtmlEnd(anyRuns));
    }
    if (const std::string why = out.commit(); !why.empty())
        return cannotWrite(exeName, request.out, why);
    return 0;
}

} // namespace orvane
