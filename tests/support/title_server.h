// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A local stand-in for the MusicBrainz web service and the Cover Art
// Archive on an ephemeral port: it answers each request as the test's
// answer function says, counts the requests, and can hold one open forever.
#include <QByteArrayList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

#include <functional>

struct FixtureAnswer {
    int status = 200;
    QByteArray body;
    QByteArray headers;     // extra header lines, each ending in \r\n
    bool hang = false;      // headers and half the body, then nothing
    bool noLength = false;  // no Content-Length: the body ends with the connection
};

class TitleServer : public QObject {
public:
    std::function<FixtureAnswer(const QByteArray &path)> answer;
    QList<QByteArray> paths;
    QByteArray userAgent;
    bool holding = false;

    TitleServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        });
    }

    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort())); }
    void close() { m_server.close(); }

private:
    void read(QTcpSocket *socket)
    {
        QByteArray &request = m_pending[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        paths << request.split(' ').value(1);
        const qsizetype agent = request.indexOf("User-Agent: ");
        userAgent = request.mid(agent + 12, request.indexOf("\r\n", agent) - agent - 12);
        m_pending.remove(socket);
        respond(socket, answer(paths.last()));
    }

    void respond(QTcpSocket *socket, const FixtureAnswer &a)
    {
        QByteArray head = "HTTP/1.1 " + QByteArray::number(a.status) + " Fixture\r\nConnection: close\r\n" + a.headers;
        if (!a.noLength)
            head += "Content-Length: " + QByteArray::number(a.body.size()) + "\r\n";
        socket->write(head + "\r\n" + (a.hang ? a.body.left(a.body.size() / 2) : a.body));
        holding = a.hang;
        if (!a.hang)
            socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QHash<QTcpSocket *, QByteArray> m_pending;
};

// The demo disc's ID by the disc ID algorithm of the MusicBrainz
// documentation (SHA-1 over the upper-case hex TOC, base64 with "._-"), run
// once in a Python snippet on its TOC: 1 10 16876 150 1950 3300 ...
const QString kDemoDiscId = QStringLiteral("EN1P.p6eCJ4Tr_ehNqCv8Gy3RP4-");

// A release as the web service lists it (inc=artist-credits+recordings);
// the medium carries the disc ID given, track 3 is credited to two artists.
inline QByteArray release(const char *id, const char *title, const char *date, const QString &discId)
{
    QByteArray tracks;
    for (int n = 1; n <= 10; ++n) {
        const QByteArray credit = n == 3 ? R"("artist-credit":[{"name":"Velor Ensemble","joinphrase":" feat. "},{"name":"Guest","joinphrase":""}],)" : "";
        tracks += QByteArray(n > 1 ? "," : "") + R"({"id":"t)" + QByteArray::number(n) + R"(","number":")" + QByteArray::number(n)
            + R"(","position":)" + QByteArray::number(n) + "," + credit + R"("title":"曲)" + QByteArray::number(n)
            + R"(","length":24000,"recording":{"id":"r","title":"曲","length":24000}})";
    }
    return R"({"id":")" + QByteArray(id) + R"(","title":")" + title + R"(","status":"Official","date":")" + date
        + R"(","country":"JP","artist-credit":[{"name":"Velor Ensemble","joinphrase":"","artist":{"id":"a","name":"Velor Ensemble"}}],)"
        + R"("media":[{"position":1,"format":"CD","track-count":10,"discs":[{"id":")" + discId.toLatin1()
        + R"(","sectors":16876,"offsets":[150,1950,3300,5475,6600,8213,10238,11476,13351,14776]}],"tracks":[)" + tracks + "]}]}";
}

inline QByteArray answerOf(const QList<QByteArray> &releases)
{
    return R"({"id":")" + kDemoDiscId.toLatin1() + R"(","sectors":16876,"offset-count":10,"releases":[)" + releases.join(',') + "]}";
}

// A server that knows the demo disc, with a cover, and nothing else.
inline FixtureAnswer knowsTheDemoDisc(const QByteArray &path)
{
    if (path.startsWith("/release/"))
        return {200, "\xff\xd8\xff\xe0 JFIF", {}, false, false};
    if (path.contains(kDemoDiscId.toLatin1()))
        return {200, answerOf({release("first", "朝の音", "2001", kDemoDiscId)}), {}, false, false};
    return {404, R"({"error":"Not Found"})", {}, false, false};
}
