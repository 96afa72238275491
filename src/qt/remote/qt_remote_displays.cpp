#include "qt/remote/qt_remote_displays.h"

#include "qt/qt_view.h"
#include "qt/remote/remote_server.h"

#include <QHostAddress>
#include <QImage>
#include <QLabel>
#include <QNetworkInterface>
#include <QPainter>
#include <QPixmap>
#include <QRandomGenerator>
#include <QWidget>

#include <qrencode.h>

#include <algorithm>
#include <cstdio>

namespace orvane {

QtRemoteDisplays::QtRemoteDisplays(App& app, QtView& view)
    : m_view(view), m_server(std::make_unique<RemoteServer>(app)),
      m_pairing(std::make_unique<Pairing>(app)) {
    m_server->setPairing(m_pairing.get());
    // A forgotten device's token never works again, and its connections end now.
    RemoteServer* server = m_server.get();
    m_pairing->onForgotten = [server](const std::string& hash) { server->dropDevice(hash); };
}

QtRemoteDisplays::~QtRemoteDisplays() = default;

std::string QtRemoteDisplays::serve(const ServeAddress& where) {
    QHostAddress address;
    if (!address.setAddress(QString::fromStdString(where.address)))
        return "\"" + where.address + "\" is not an IP address.";
    const QString error = m_server->listen(address, quint16(where.port));
    if (!error.isEmpty())
        return error.toStdString();
    std::printf("Serving on %s\n",
                orvane::pageAddress(where.address, m_server->port(), m_server->tls()).c_str());
    std::fflush(stdout);
    return {};
}

void QtRemoteDisplays::stop() {
    m_server->close();
}

bool QtRemoteDisplays::serving() const {
    return m_server->listening();
}

ServeAddress QtRemoteDisplays::servingAt() const {
    return {m_server->address().toString().toStdString(), m_server->port()};
}

// An address that listens on every network is no address another screen can open: the page
// is given at this computer's first address on a network instead.
std::string QtRemoteDisplays::pageAddress() const {
    if (!m_server->listening())
        return {};
    QHostAddress shown = m_server->address();
    if (shown == QHostAddress::AnyIPv4 || shown == QHostAddress::AnyIPv6 ||
        shown == QHostAddress::Any) {
        shown = QHostAddress::LocalHost;
        for (const QHostAddress& a : QNetworkInterface::allAddresses())
            if (!a.isLoopback() && a.protocol() == QAbstractSocket::IPv4Protocol) {
                shown = a;
                break;
            }
    }
    return orvane::pageAddress(shown.toString().toStdString(), m_server->port(), m_server->tls());
}

std::string QtRemoteDisplays::offerPairingCode() {
    if (!m_server->listening())
        return {};
    const quint32 n = QRandomGenerator::system()->bounded(1'000'000u);
    const std::string code = QStringLiteral("%1").arg(n, 6, 10, QLatin1Char('0')).toStdString();
    m_pairing->offerCode(code);
    // The code rides after the address's #, which the browser keeps to itself.
    return pageAddress() + "control#" + code;
}

std::string QtRemoteDisplays::setTls(const std::string& certificate, const std::string& key) {
    const QString why =
        m_server->setTls(QString::fromStdString(certificate), QString::fromStdString(key));
    return why.isEmpty() ? std::string() : "Over TLS: " + why.toStdString() + ".";
}

void QtRemoteDisplays::controlChanged() {
    m_server->tellDevices();
}

int QtRemoteDisplays::watchers() const {
    return m_server->watchers();
}

void QtRemoteDisplays::showCode(PictureBox& picture, const std::string& text) {
    QWidget* box = m_view.widget(picture);
    if (!box)
        return;
    auto* label = box->findChild<QLabel*>(QStringLiteral("qrcode"));
    if (!label) {
        label = new QLabel(box);
        label->setObjectName(QStringLiteral("qrcode"));
        label->setAlignment(Qt::AlignCenter);
    }
    label->setGeometry(box->rect());
    label->show();
    QRcode* code =
        text.empty() ? nullptr : QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_M, QR_MODE_8, 1);
    if (!code) {
        label->clear();
        return;
    }
    // Four modules of white border around the code, as readers expect.
    const int modules = code->width + 8;
    QImage image(modules, modules, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < code->width; ++y)
        for (int x = 0; x < code->width; ++x)
            if (code->data[y * code->width + x] & 1)
                image.setPixel(x + 4, y + 4, qRgb(0, 0, 0));
    QRcode_free(code);
    const int side = std::min(box->width(), box->height()) / modules * modules;
    label->setPixmap(QPixmap::fromImage(image.scaled(side, side)));
}

} // namespace orvane
