#include "qt/follow_setup.h"

#include "app.h"
#include "qt/qt_scheduler.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMetaObject>
#include <QRandomGenerator>
#include <QSysInfo>

#include <cstdio>

namespace orvane {

namespace {

constexpr std::size_t CredentialsLimit = 4096;

std::nullopt_t refuse(const AppInfo& info, const std::string& option, std::string why) {
    if (why.ends_with('.'))
        why.pop_back();
    if (!why.empty() && why.front() >= 'A' && why.front() <= 'Z')
        why.front() = char(why.front() - 'A' + 'a');
    std::fprintf(stderr, "%s: %s: %s; see '%s --help'.\n", info.exeName.c_str(), option.c_str(),
                 why.c_str(), info.exeName.c_str());
    return std::nullopt;
}

} // namespace

FollowSetup::FollowSetup(App& app, QtScheduler& scheduler) : m_app(app) {
    // The broker's thread tells the program what happened as an event of its own.
    m_link = std::make_unique<MosquittoLink>([&scheduler](std::function<void()> task) {
        QMetaObject::invokeMethod(
            qApp, [&scheduler, task = std::move(task)] { scheduler.deliver(task); },
            Qt::QueuedConnection);
    });
    m_clientId =
        QStringLiteral("orvane-%1-%2")
            .arg(QCoreApplication::applicationPid())
            .arg(QRandomGenerator::global()->generate() & 0xFFFFFF, 6, 16, QLatin1Char('0'))
            .toStdString();
}

FollowSetup::~FollowSetup() {
    // The leader and the follower stop the link before it goes.
    m_leader.reset();
    m_follower.reset();
    m_link.reset();
}

std::optional<FollowOptions> FollowSetup::readOptions(const AppInfo& info, Files& files) {
    FollowOptions options;
    std::string error;
    if (info.publish) {
        options.publish = parseMqttAddress(*info.publish, error);
        if (!options.publish)
            return refuse(info, "--publish " + *info.publish, error);
        options.publishText = *info.publish;
    }
    if (info.follow) {
        options.follow = parseMqttAddress(*info.follow, error);
        if (!options.follow)
            return refuse(info, "--follow " + *info.follow, error);
    }
    if (!info.mqttCredentials.empty()) {
        options.credentials = readCredentials(info, files, error);
        if (!options.credentials)
            return refuse(info, "--mqtt-credentials " + info.mqttCredentials, error);
    }
    return options;
}

std::optional<MqttCredentials> FollowSetup::readCredentials(const AppInfo& info, Files& files,
                                                            std::string& error) {
    const FileContent file = files.read(info.mqttCredentials, CredentialsLimit);
    if (!file.content) {
        error = file.missing    ? "there is no such file"
                : file.tooLarge ? "the file is larger than a credentials file can be"
                                : file.error;
        return std::nullopt;
    }
    std::optional<MqttCredentials> credentials = parseMqttCredentials(*file.content, error);
    const QFileInfo about(QString::fromStdString(info.mqttCredentials));
    if (credentials && about.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther))
        std::fprintf(stderr,
                     "%s: %s can be read by other users of this computer; chmod 600 keeps the "
                     "password to you.\n",
                     info.exeName.c_str(), info.mqttCredentials.c_str());
    return credentials;
}

// A kept choice that can no longer be used (the file gone, say) is told and left alone: the
// copy starts as it would without it.
void FollowSetup::takeSavedChoice(AppInfo& info, Settings& settings, Files& files,
                                  FollowOptions& options) {
    const std::optional<FollowChoice> saved = followChoiceAtStart(settings, info, instanceName());
    if (!saved)
        return;
    AppInfo chosen = info;
    chosen.follow = saved->address;
    if (chosen.mqttCredentials.empty())
        chosen.mqttCredentials = saved->credentials;
    std::string error;
    FollowOptions read;
    read.follow = parseMqttAddress(saved->address, error);
    if (read.follow && !chosen.mqttCredentials.empty() &&
        !(read.credentials = readCredentials(chosen, files, error)))
        error = chosen.mqttCredentials + ": " + error;
    if (!error.empty()) {
        std::fprintf(stderr, "%s: the saved choice to follow %s cannot be used: %s\n",
                     info.exeName.c_str(), saved->address.c_str(), error.c_str());
        return;
    }
    info = std::move(chosen);
    options = std::move(read);
}

std::string FollowSetup::instanceName() {
    return qEnvironmentVariable("ORVANE_INSTANCE_NAME").toStdString();
}

MqttServer FollowSetup::serverFor(const MqttAddress& where) const {
    MqttServer server;
    server.host = where.host;
    server.port = where.port;
    server.tls = where.tls;
    server.clientId = m_clientId;
    if (m_options.credentials) {
        server.user = m_options.credentials->user;
        server.password = m_options.credentials->password;
    }
    return server;
}

void FollowSetup::start() {
    if (m_options.follow) {
        m_follower = std::make_unique<Follower>(m_app, *m_link);
        m_follower->onConnection = [this](bool connected, const std::string& why) {
            brokerConnection(connected, why, *m_app.info().follow);
        };
        m_follower->start(*m_options.follow, serverFor(*m_options.follow));
        std::printf("Following %s\n", m_app.info().follow->c_str());
        std::fflush(stdout);
        return;
    }
    if (m_options.publish) {
        publishTo(*m_options.publish, m_options.publishText);
        return;
    }
    const std::optional<std::string> saved =
        savedPublishChoice(m_app.services().settings, m_app.info().exeName);
    if (!saved)
        return;
    std::string error;
    if (const std::optional<MqttAddress> where = parseMqttAddress(*saved, error))
        publishTo(*where, *saved);
    else
        std::fprintf(stderr, "%s: the saved address to publish to, %s, cannot be used: %s\n",
                     m_app.info().exeName.c_str(), saved->c_str(), error.c_str());
}

// A broker that cannot be reached is told on standard error once, and again only after it
// was reached in between.
void FollowSetup::brokerConnection(bool connected, const std::string& why,
                                   const std::string& address) {
    if (connected) {
        m_brokerFailed = false;
        return;
    }
    if (m_brokerFailed)
        return;
    m_brokerFailed = true;
    std::fprintf(stderr, "%s: the broker of %s cannot be reached: %s\n",
                 m_app.info().exeName.c_str(), address.c_str(), why.c_str());
}

void FollowSetup::publishTo(const MqttAddress& where, const std::string& text) {
    if (!m_leader) {
        m_leader = std::make_unique<Leader>(m_app, *m_link, m_health);
        m_leader->onConnection = [this](bool connected, const std::string& why) {
            m_leaderConnected = connected;
            m_leaderProblem = why;
            brokerConnection(connected, why, m_publishingTo);
        };
    }
    m_publishingTo = text;
    m_leaderConnected = false;
    m_leaderProblem.clear();
    m_leader->start(where, serverFor(where));
    std::printf("Publishing to %s\n", text.c_str());
    std::fflush(stdout);
}

std::string FollowSetup::publish(const std::string& address) {
    if (m_follower)
        return "A follower does not publish.";
    std::string error;
    const std::optional<MqttAddress> where = parseMqttAddress(address, error);
    if (!where)
        return error;
    publishTo(*where, address);
    return {};
}

std::string FollowSetup::checkFollow(const std::string& address, const std::string& credentials) {
    std::string error;
    if (!parseMqttAddress(address, error))
        return error;
    if (credentials.empty())
        return {};
    AppInfo info = m_app.info();
    info.mqttCredentials = credentials;
    if (!readCredentials(info, m_app.services().files, error))
        return "The credentials file " + credentials + " cannot be used: " + error;
    return {};
}

std::string FollowSetup::followingState() const {
    return m_follower ? m_follower->statusText() : std::string();
}

std::string FollowSetup::publishingState() const {
    if (m_leaderConnected)
        return "connected to the broker";
    if (m_leaderProblem.empty())
        return "connecting to the broker";
    return "the broker cannot be reached: " + m_leaderProblem;
}

void FollowSetup::stopPublishing() {
    if (m_leader)
        m_leader->stop();
    m_publishingTo.clear();
}

} // namespace orvane
