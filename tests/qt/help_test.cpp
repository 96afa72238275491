// The help viewer on the help pages compiled into the program, and the desktop calculator
// standing in for the one the Help menu names.

#include "doubles/fake_services.h"
#include "qt/qt_services.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QListWidget>
#include <QPointer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QWidget>

#include <gtest/gtest.h>

namespace orvane::test {
namespace {

QTextBrowser* pageOfViewer(QWidget* viewer) {
    return viewer ? viewer->findChild<QTextBrowser*>(QStringLiteral("helpPage")) : nullptr;
}

TEST(QtHelpTest, TheMainTopicOpensTheMainPage_InOneViewerThatCloseAllCloses) {
    QtHelp help;
    help.showTopic("/opt/orvane/ovproj.chm", "orvhlp\\main.htm");
    ASSERT_EQ(help.viewers().size(), 1);
    QWidget* viewer = help.viewers().front();
    QTextBrowser* page = pageOfViewer(viewer);
    ASSERT_TRUE(page);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(page->documentTitle(), QStringLiteral("Orvane Help"));
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Orvane Help"));
    EXPECT_TRUE(page->toPlainText().contains(QStringLiteral("launch clock for mission")));

    // The Technical Support box's topic, and another page, turn the same viewer.
    help.showTopic("/opt/orvane/ovproj.chm", "orvhlp\\holds.htm");
    EXPECT_EQ(page->documentTitle(), QStringLiteral("Holds"));
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Orvane Help - Holds"));
    help.showTopic("/opt/orvane/ovproj.chm", "main.htm");
    EXPECT_EQ(help.viewers().size(), 1);
    EXPECT_EQ(page->documentTitle(), QStringLiteral("Orvane Help"));

    help.closeAll("/opt/orvane/ovproj.chm");
    EXPECT_TRUE(help.viewers().isEmpty());
}

// Every page has its line in the contents list, the remote displays' page included, and a line
// opens its page.
TEST(QtHelpTest, TheContentsListEveryPage) {
    QtHelp help;
    help.showTopic("/opt/orvane/ovproj.chm", "main.htm");
    QWidget* viewer = help.viewers().front();
    auto* list = viewer->findChild<QListWidget*>(QStringLiteral("helpContents"));
    ASSERT_TRUE(list);
    QStringList titles;
    QStringList pages;
    for (int i = 0; i < list->count(); ++i) {
        titles << list->item(i)->text();
        pages << list->item(i)->data(Qt::UserRole).toUrl().fileName();
    }
    EXPECT_TRUE(titles.contains(QStringLiteral("Remote displays")));
    const QStringList all = QDir(QStringLiteral(":/help")).entryList({QStringLiteral("*.htm")});
    for (const QString& name : all)
        EXPECT_TRUE(pages.contains(name)) << name.toStdString() << " is not in the contents";

    const int remote = int(titles.indexOf(QStringLiteral("Remote displays")));
    ASSERT_GE(remote, 0);
    emit list->itemClicked(list->item(remote));
    EXPECT_EQ(pageOfViewer(viewer)->documentTitle(), QStringLiteral("Remote displays"));
    help.closeAll({});
}

TEST(QtHelpTest, EscClosesTheViewer_WhereverItsFocusIs) {
    QtHelp help;
    for (const char* part : {"helpContents", "helpPage"}) {
        help.showTopic("/opt/orvane/ovproj.chm", "holds.htm");
        QPointer<QWidget> viewer = help.viewers().front();
        auto* target = viewer->findChild<QWidget*>(QString::fromLatin1(part));
        ASSERT_TRUE(target) << part;
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &esc);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(viewer.isNull()) << "Esc in " << part;
        EXPECT_TRUE(help.viewers().isEmpty()) << part;
    }
}

TEST(QtHelpTest, ATopicNamingNoPageOpensTheMainPage) {
    for (const char* topic : {"orvhlp\\nothing.htm", "", "orvhlp\\"})
        EXPECT_EQ(QtHelp::pageOf(topic), QUrl(QStringLiteral("qrc:/help/main.htm"))) << topic;
    EXPECT_EQ(QtHelp::pageOf("orvhlp/keyboard.htm"),
              QUrl(QStringLiteral("qrc:/help/keyboard.htm")));
}

// Guards against a page left out of the program's resources, or a link to one that is not
// there: every page has a title and every link between pages leads somewhere.
TEST(QtHelpTest, EveryPageHasATitle_AndEveryLinkLeadsToAPage) {
    QtHelp help; // brings the pages in
    const QDir pages(QStringLiteral(":/help"));
    const QStringList names = pages.entryList({QStringLiteral("*.htm")});
    EXPECT_GE(names.size(), 12);
    const QRegularExpression link(QStringLiteral("href=\"([^\"#]+)"));
    for (const QString& name : names) {
        QFile file(pages.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const QString html = QString::fromUtf8(file.readAll());
        EXPECT_TRUE(html.contains(QRegularExpression(QStringLiteral("<title>[^<]+</title>"))))
            << name.toStdString();
        for (auto m = link.globalMatch(html); m.hasNext();) {
            const QString target = m.next().captured(1);
            EXPECT_TRUE(QFile::exists(pages.filePath(target)))
                << name.toStdString() << " links to " << target.toStdString();
        }
    }
}

class CalculatorTest : public ::testing::Test {
  protected:
    CalculatorTest() : m_path(qgetenv("PATH")) { qputenv("PATH", m_bin.path().toLocal8Bit()); }
    ~CalculatorTest() override { qputenv("PATH", m_path); }

    void install(const QString& name) {
        QFile program(m_bin.filePath(name));
        ASSERT_TRUE(program.open(QIODevice::WriteOnly));
        program.write("#!/bin/sh\n");
        program.close();
        program.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }

    QTemporaryDir m_bin;
    QByteArray m_path;
};

TEST_F(CalculatorTest, TheFirstDesktopCalculatorInstalledIsTaken) {
    EXPECT_TRUE(QtProcess::desktopCalculator().isEmpty());
    install(QStringLiteral("xcalc"));
    EXPECT_EQ(QtProcess::desktopCalculator(), m_bin.filePath(QStringLiteral("xcalc")));
    install(QStringLiteral("kcalc"));
    install(QStringLiteral("galculator"));
    EXPECT_EQ(QtProcess::desktopCalculator(), m_bin.filePath(QStringLiteral("kcalc")));
    install(QStringLiteral("gnome-calculator"));
    EXPECT_EQ(QtProcess::desktopCalculator(), m_bin.filePath(QStringLiteral("gnome-calculator")));
}

TEST_F(CalculatorTest, WithNoCalculatorInstalledTheUserIsTold) {
    ScriptedDialogs dialogs;
    dialogs.queueAnswer(Answer::OK);
    QtProcess process;
    process.setDialogs(&dialogs);
    process.startProgram(QtProcess::WindowsCalculator);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    const ShownMessage& m = dialogs.shown().front();
    EXPECT_EQ(m.text, "No calculator program is installed on this computer.");
    EXPECT_EQ(m.title, "Orvane");
    EXPECT_EQ(m.icon, Icon::Information);
    EXPECT_EQ(m.buttons, Buttons::OK);
}

} // namespace
} // namespace orvane::test
