#include "qt/remote/http_head.h"

#include <algorithm>

namespace orvane {

namespace {

// The characters of a method or field name.
bool isToken(const QByteArray& s) {
    if (s.isEmpty())
        return false;
    for (char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 32 || u >= 127 || QByteArray("()<>@,;:\\\"/[]?={}").contains(c))
            return false;
    }
    return true;
}

bool isVisible(const QByteArray& s) {
    for (char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 32 && c != '\t') || u == 127)
            return false;
    }
    return true;
}

HttpHead malformed() {
    HttpHead h;
    h.status = 400;
    return h;
}

} // namespace

QByteArray HttpHead::field(const QByteArray& lowerName) const {
    for (const auto& [name, value] : fields)
        if (name == lowerName)
            return value;
    return {};
}

bool HttpHead::fieldHasToken(const QByteArray& lowerName, const QByteArray& token) const {
    for (const auto& [name, value] : fields)
        if (name == lowerName)
            for (const QByteArray& part : value.split(','))
                if (part.trimmed().toLower() == token)
                    return true;
    return false;
}

qsizetype endOfHead(const QByteArray& received) {
    const qsizetype end = received.indexOf("\r\n\r\n");
    return end < 0 ? -1 : end + 4;
}

bool hasBareLineEnd(const QByteArray& received) {
    for (qsizetype i = 0; i < received.size(); ++i) {
        if (received[i] == '\n' && (i == 0 || received[i - 1] != '\r'))
            return true;
        if (received[i] == '\r' && i + 1 < received.size() && received[i + 1] != '\n')
            return true;
    }
    return false;
}

HttpHead parseHttpHead(const QByteArray& head) {
    if (hasBareLineEnd(head))
        return malformed();
    QList<QByteArray> lines = head.split('\n');
    for (QByteArray& line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (lines.isEmpty())
        return malformed();

    const QList<QByteArray> parts = lines.first().split(' ');
    if (parts.size() != 3 || !isToken(parts[0]) || !parts[1].startsWith('/') ||
        !isVisible(parts[1]) || parts[1].contains(' ') ||
        (parts[2] != "HTTP/1.1" && parts[2] != "HTTP/1.0"))
        return malformed();

    HttpHead h;
    h.method = parts[0];
    h.version = parts[2];
    const qsizetype query = parts[1].indexOf('?');
    h.path = query < 0 ? parts[1] : parts[1].left(query);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            return malformed();
        const QByteArray name = line.left(colon);
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (!isToken(name) || !isVisible(value))
            return malformed();
        h.fields.append({name.toLower(), value});
    }
    if (parts[2] == "HTTP/1.1" && h.field("host").isEmpty())
        return malformed();
    // Fields that hold one value are given once: a second could say something else to
    // whoever reads it.
    for (const char* single : {"host", "origin", "sec-websocket-key", "sec-websocket-version"})
        if (std::count_if(h.fields.begin(), h.fields.end(),
                          [single](const auto& f) { return f.first == single; }) > 1)
            return malformed();
    return h;
}

} // namespace orvane
