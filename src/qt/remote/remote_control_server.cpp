// The server's side of control by paired devices: the control page, pairing, and the control
// socket whose commands go through the same paths as the program's own buttons.

#include "qt/remote/remote_server.h"

#include "app.h"
#include "callouts/callouts.h"
#include "clock/frmOrvane.h"
#include "qt/remote/http_head.h"
#include "qt/remote/screen_socket.h"
#include "remote/pairing.h"
#include "remote/remote_access.h"
#include "remote/remote_control.h"
#include "services/json.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QTcpSocket>

#include <algorithm>

namespace orvane {

namespace {

// A token is 32 random bytes, in base64url without padding.
constexpr qsizetype TokenChars = 43;

bool isTokenText(const QByteArray& token) {
    return token.size() == TokenChars && std::all_of(token.begin(), token.end(), [](char c) {
               return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '_';
           });
}

std::string hashOf(const QByteArray& token) {
    return QCryptographicHash::hash(token, QCryptographicHash::Sha256).toHex().toStdString();
}

QByteArray newToken() {
    quint32 words[8];
    QRandomGenerator::system()->fillRange(words);
    return QByteArray(reinterpret_cast<const char*>(words), sizeof words)
        .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

// The value of FIELD in a form's body ("code=123456&name=Flight+director"), decoded.
QByteArray formField(const QByteArray& body, const QByteArray& field) {
    for (const QByteArray& pair : body.split('&')) {
        const qsizetype eq = pair.indexOf('=');
        if (eq > 0 && pair.left(eq) == field) {
            QByteArray value = pair.mid(eq + 1);
            value.replace('+', ' ');
            return QByteArray::fromPercentEncoding(value);
        }
    }
    return {};
}

QByteArray errorJson(const std::string& why) {
    return QByteArray::fromStdString("{\"error\":" + jsonText(why) + "}\n");
}

// A browser names the page's site in its Origin; only the server's own page may pair or
// command, and a browser always says which page it is.
bool ownOrigin(const HttpHead& head) {
    const QByteArray origin = head.field("origin");
    return !origin.isEmpty() &&
           originMatchesHost(origin.toStdString(), head.field("host").toStdString());
}

} // namespace

QByteArray RemoteServer::cookieName() const {
    return "orvane_control_" + QByteArray::number(port());
}

std::string RemoteServer::deviceOf(const HttpHead& head) const {
    if (!m_pairing)
        return {};
    const QByteArray name = cookieName();
    for (const auto& [field, value] : head.fields) {
        if (field != "cookie")
            continue;
        for (const QByteArray& part : value.split(';')) {
            const QByteArray cookie = part.trimmed();
            if (!cookie.startsWith(name + "="))
                continue;
            const QByteArray token = cookie.mid(name.size() + 1);
            if (!isTokenText(token))
                return {};
            const std::string hash = hashOf(token);
            return m_pairing->recognise(hash) ? hash : std::string();
        }
    }
    return {};
}

void RemoteServer::answerControl(QTcpSocket* socket, const HttpHead& head, qsizetype headSize,
                                 const QByteArray& body) {
    const QByteArray& path = head.path;
    const QByteArray method = path == "/control/pair" ? "POST" : "GET";
    if (path != "/control" && path != "/control/status" && path != "/control/pair" &&
        path != "/control/socket")
        answer(socket, 404, "text/plain", "Nothing here.\n");
    else if (head.method != method)
        answer(socket, 405, "text/plain", "Only " + method + " is served here.\n",
               "Allow: " + method + "\r\n");
    else if (path == "/control") {
        static const QByteArray html = page(QStringLiteral("control.html"));
        answer(socket, 200, "text/html; charset=utf-8", html);
    } else if (path == "/control/status") {
        const std::string device = deviceOf(head);
        const PairedDevice* d = device.empty() ? nullptr : m_pairing->find(device);
        answer(socket, 200, "application/json",
               QByteArray::fromStdString("{\"paired\":" + std::string(d ? "true" : "false") +
                                         (d ? ",\"device\":" + jsonText(d->name) : "") +
                                         ",\"why\":" + jsonText(whyNoControl(m_app)) + "}\n"));
    } else if (path == "/control/pair") {
        pairDevice(socket, head, body);
    } else if (!ownOrigin(head)) {
        answer(socket, 403, "text/plain", "Only this server's own control page may command.\n");
    } else if (const std::string device = deviceOf(head); device.empty()) {
        answer(socket, 403, "text/plain", "This device is not paired.\n");
    } else {
        handshake(socket, head, headSize, device);
    }
}

void RemoteServer::pairDevice(QTcpSocket* socket, const HttpHead& head, const QByteArray& body) {
    if (!ownOrigin(head)) {
        answer(socket, 403, "application/json",
               errorJson("Only this server's own control page may pair."));
        return;
    }
    if (!m_pairing || m_app.frmOrvane().following()) {
        answer(socket, 403, "application/json",
               errorJson("This copy of the program takes no commands from devices."));
        return;
    }
    const QByteArray token = newToken();
    const std::string why = m_pairing->pair(formField(body, "code").toStdString(),
                                            formField(body, "name").toStdString(), hashOf(token));
    if (!why.empty()) {
        answer(socket, 403, "application/json", errorJson(why));
        return;
    }
    const QByteArray cookie = "Set-Cookie: " + cookieName() + "=" + token +
                              "; Path=/control; HttpOnly; SameSite=Strict; Max-Age=31536000" +
                              QByteArray(m_tls ? "; Secure" : "") + "\r\n";
    answer(socket, 200, "application/json",
           QByteArray::fromStdString(
               "{\"device\":" + jsonText(formField(body, "name").toStdString()) + "}\n"),
           cookie);
}

QByteArray RemoteServer::controlJson(const std::string& device) const {
    const PairedDevice* d = m_pairing && !device.empty() ? m_pairing->find(device) : nullptr;
    const LaunchState& state = m_app.launchState();
    return QByteArray::fromStdString(
        "{\"control\":{" + (d ? "\"device\":" + jsonText(d->name) + "," : std::string()) +
        "\"why\":" + jsonText(whyNoControl(m_app)) +
        ",\"armed\":" + (state.armed() ? "true" : "false") +
        ",\"built_in_hold\":" + (state.builtInHeld() ? "true" : "false") +
        ",\"muted\":" + (m_app.callouts().choices().sound ? "false" : "true") + "}}");
}

void RemoteServer::tellDevices() {
    for (const auto& c : m_clients)
        if (!c->device.empty())
            c->ws->sendText(controlJson(c->device));
}

void RemoteServer::dropDevice(const std::string& tokenHash) {
    std::vector<ScreenSocket*> gone;
    for (const auto& c : m_clients)
        if (c->device == tokenHash)
            gone.push_back(c->ws);
    for (ScreenSocket* ws : gone)
        dropClient(ws);
}

void RemoteServer::heardCommand(Client& client, QByteArrayView message) {
    const qint64 now = m_steady.elapsed();
    std::erase_if(client.commands, [now](qint64 at) { return now - at >= 1000; });
    client.commands.push_back(now);
    ScreenSocket* ws = client.ws;
    const PairedDevice* device = m_pairing ? m_pairing->recognise(client.device) : nullptr;
    if (int(client.commands.size()) > MaxCommandsPerSecond || !device) {
        ws->refuse();
        return;
    }
    const std::string name = device->name;
    const std::string hash = client.device;
    std::string error;
    const auto command =
        readRemoteCommand(std::string_view(message.data(), std::size_t(message.size())), error);
    // Given as the program's own input is, so that the windows' round follows it.
    std::string why = "The program does not know that command.";
    if (command)
        m_app.services().scheduler.deliver([&] { why = giveRemoteCommand(m_app, *command, name); });
    // The command may have dropped this very device (none does today): the reply goes only to
    // a connection still listed.
    const bool listed = std::any_of(m_clients.begin(), m_clients.end(),
                                    [ws](const auto& c) { return c->ws == ws; });
    if (!listed)
        return;
    ws->sendText(QByteArray::fromStdString(
        "{\"reply\":{\"command\":" + jsonText(command ? commandWord(*command) : "") +
        (why.empty() ? ",\"done\":true" : ",\"refused\":" + jsonText(why)) + "}}"));
    ws->sendText(controlJson(hash));
}

} // namespace orvane
