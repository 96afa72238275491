// The help viewer: the help pages compiled into the program, in a window with the list of
// pages beside the page shown, and Back, Forward and Contents above it.

#include "qt/qt_services.h"

#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <array>

// Resources of a static library are brought in by name, outside any namespace.
static void loadHelpPages() {
    Q_INIT_RESOURCE(help);
}

namespace orvane {

namespace {

const QString PagesRoot = QStringLiteral("qrc:/help/");

struct Page {
    const char* file;
    const char* title;
};

// The contents, in reading order.
constexpr std::array<Page, 21> Contents{{
    {"main.htm", "Welcome to Orvane"},
    {"starting.htm", "Starting Orvane"},
    {"main-window.htm", "The main window"},
    {"launch-time.htm", "Setting the launch time"},
    {"holds.htm", "Holds"},
    {"plans.htm", "Countdown plans"},
    {"launch-window.htm", "The launch window"},
    {"event-timers.htm", "The Event Timers window"},
    {"event-wizard.htm", "Defining an event"},
    {"remove-event.htm", "Removing an event"},
    {"sim-time.htm", "Simulated mission time"},
    {"present.htm", "Presenting the count"},
    {"callouts.htm", "Spoken callouts"},
    {"remote-displays.htm", "Remote displays"},
    {"following.htm", "Leader and followers"},
    {"debrief.htm", "The mission journal and the debrief"},
    {"files.htm", "Launch data files"},
    {"file-format.htm", "The launch data file format"},
    {"keyboard.htm", "Keyboard shortcuts"},
    {"tips.htm", "Tip of the Day"},
    {"help-menu.htm", "Help, About and Support"},
}};

class HelpViewer : public QWidget {
  public:
    HelpViewer() {
        setObjectName(QStringLiteral("helpViewer"));
        setAttribute(Qt::WA_DeleteOnClose);
        resize(900, 640);

        auto* back = new QPushButton(QStringLiteral("Back"), this);
        auto* forward = new QPushButton(QStringLiteral("Forward"), this);
        auto* home = new QPushButton(QStringLiteral("Contents"), this);
        back->setEnabled(false);
        forward->setEnabled(false);
        auto* buttons = new QHBoxLayout;
        buttons->addWidget(back);
        buttons->addWidget(forward);
        buttons->addWidget(home);
        buttons->addStretch();

        m_list = new QListWidget(this);
        m_list->setObjectName(QStringLiteral("helpContents"));
        m_list->setWordWrap(true);
        m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_list->setSpacing(1);
        for (const Page& p : Contents) {
            auto* item = new QListWidgetItem(QString::fromUtf8(p.title), m_list);
            item->setData(Qt::UserRole, PagesRoot + QLatin1String(p.file));
        }
        m_browser = new QTextBrowser(this);
        m_browser->setObjectName(QStringLiteral("helpPage"));
        m_browser->setOpenLinks(true);
        m_browser->setOpenExternalLinks(true);
        QFile css(QStringLiteral(":/help/help.css"));
        if (css.open(QIODevice::ReadOnly))
            m_browser->document()->setDefaultStyleSheet(QString::fromUtf8(css.readAll()));

        auto* split = new QSplitter(this);
        split->addWidget(m_list);
        split->addWidget(m_browser);
        split->setStretchFactor(1, 1);
        split->setSizes({240, 660});
        auto* layout = new QVBoxLayout(this);
        layout->addLayout(buttons);
        layout->addWidget(split, 1);

        connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
        connect(forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
        connect(home, &QPushButton::clicked, this,
                [this] { showPage(QtHelp::pageOf("main.htm")); });
        connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
        connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
        connect(m_list, &QListWidget::itemActivated, this,
                [this](QListWidgetItem* item) { showPage(item->data(Qt::UserRole).toUrl()); });
        connect(m_list, &QListWidget::itemClicked, this,
                [this](QListWidgetItem* item) { showPage(item->data(Qt::UserRole).toUrl()); });
        connect(m_browser, &QTextBrowser::sourceChanged, this, [this](const QUrl& url) {
            const QString title = m_browser->documentTitle();
            const QString name = QStringLiteral("Orvane Help");
            setWindowTitle(title.isEmpty() || title == name
                               ? name
                               : QStringLiteral("%1 - %2").arg(name, title));
            markInContents(url);
        });
    }

    void showPage(const QUrl& page) {
        if (m_browser->source() != page)
            m_browser->setSource(page);
    }

  protected:
    // Esc closes the viewer, as it closes the program's other boxes; the list and the page
    // leave the key to their window.
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
            close();
            return;
        }
        QWidget::keyPressEvent(event);
    }

  private:
    void markInContents(const QUrl& url) {
        const QUrl page = url.adjusted(QUrl::RemoveFragment);
        for (int i = 0; i < m_list->count(); ++i) {
            if (m_list->item(i)->data(Qt::UserRole).toUrl() == page) {
                const QSignalBlocker quiet(m_list);
                m_list->setCurrentRow(i);
                return;
            }
        }
        m_list->clearSelection();
    }

    QListWidget* m_list;
    QTextBrowser* m_browser;
};

} // namespace

QtHelp::QtHelp() {
    loadHelpPages();
}

QtHelp::~QtHelp() {
    closeAll({});
}

QUrl QtHelp::pageOf(const std::string& topic) {
    QString name = QString::fromStdString(topic);
    name = name.mid(std::max(name.lastIndexOf('\\'), name.lastIndexOf('/')) + 1);
    if (name.isEmpty() || !QFile::exists(QStringLiteral(":/help/") + name))
        name = QStringLiteral("main.htm");
    return QUrl(PagesRoot + name);
}

void QtHelp::showTopic(const std::string&, const std::string& topic) {
    m_viewers.removeAll(nullptr);
    HelpViewer* viewer =
        m_viewers.isEmpty() ? nullptr : static_cast<HelpViewer*>(m_viewers.last().data());
    if (!viewer) {
        viewer = new HelpViewer;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect room = screen->availableGeometry();
            viewer->resize(viewer->size().boundedTo(room.size() - QSize(40, 60)));
            viewer->move(room.center() - viewer->rect().center());
        }
        m_viewers.append(viewer);
    }
    viewer->showPage(pageOf(topic));
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
}

void QtHelp::closeAll(const std::string&) {
    const auto viewers = m_viewers;
    m_viewers.clear();
    for (const QPointer<QWidget>& v : viewers)
        if (v)
            delete v.data();
}

QList<QWidget*> QtHelp::viewers() const {
    QList<QWidget*> open;
    for (const QPointer<QWidget>& v : m_viewers)
        if (v)
            open.append(v.data());
    return open;
}

} // namespace orvane
