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
    QList<QPair<QByteArray, QByteArray>> fields; // names in lower case

    QByteArray field(const QByteArray& lowerName) const;
    // A field holding a comma-separated list that includes the token (case-insensitive).
    bool fieldHasToken(const QByteArray& lowerName, const QByteArray& token) const;
};

// Where the head ends in the bytes received so far (the index after its blank line), or -1
// while it is incomplete.
qsizetype endOfHead(const QByteArray& received);

HttpHead parseHttpHead(const QByteArray& head);

} // namespace orvane
