#pragma once

// The head of an HTTP/1.x request (request line and header fields), read strictly: anything
// this small server does not understand is a malformed request.

#include <QByteArray>
#include <QList>
#include <QPair>

namespace orvane {

struct HttpHead {
    int status = 0; // 0 when the head is sound, else the error status to answer with
    QByteArray method;
    QByteArray path;                             // without the query
    QByteArray version;                          // "HTTP/1.1" or "HTTP/1.0"
    QList<QPair<QByteArray, QByteArray>> fields; // names in lower case

    QByteArray field(const QByteArray& lowerName) const;
    // A field holding a comma-separated list that includes the token (case-insensitive).
    bool fieldHasToken(const QByteArray& lowerName, const QByteArray& token) const;
};

// Where the head ends in the bytes received so far (the index after its blank line), or -1
// while it is incomplete. Lines end in CR LF and in nothing else.
qsizetype endOfHead(const QByteArray& received);

// Whether the bytes received so far hold a line end other than CR LF: a LF alone, or a CR
// followed by anything but LF. Such a head is malformed however it goes on.
bool hasBareLineEnd(const QByteArray& received);

HttpHead parseHttpHead(const QByteArray& head);

} // namespace orvane
