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
        const QByteArray request = socket->property("request").toByteArray() + socket->readAll();
        socket->setProperty("request", request);
        if (!request.contains("\r\n\r\n"))
            return;
        paths << request.split(' ').value(1);
        userAgent = request.mid(request.indexOf("User-Agent: ") + 12).split('\r').value(0);
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
};

// The demo disc's ID by the disc ID algorithm of the MusicBrainz
// documentation (SHA-1 over the upper-case hex TOC, base64 with "._-"), run
// once in a Python snippet on its TOC: 1 10 16876 150 1950 3300 ...
const QString kDemoDiscId = QStringLiteral("EN1P.p6eCJ4Tr_ehNqCv8Gy3RP4-");

// A release as the web service lists it (inc=artist-credits+recordings):
// ten tracks "曲n", the third credited to two artists, on a CD that
// carries the disc ID given.
inline QByteArray release(const char *id, const char *title, const char *date, const QString &discId)
{
    QStringList tracks;
    for (int n = 1; n <= 10; ++n)
        tracks << QStringLiteral(R"({"id":"t%1","number":"%1","position":%1,%2"title":"曲%1","length":24000})")
                      .arg(n).arg(n == 3 ? R"("artist-credit":[{"name":"Velor Ensemble","joinphrase":" feat. "},{"name":"Guest"}],)" : "");
    return QStringLiteral(R"({"id":"%1","title":"%2","status":"Official","date":"%3","artist-credit":[{"name":"Velor Ensemble",)"
                          R"("joinphrase":"","artist":{"id":"a","name":"Velor Ensemble"}}],"media":[{"position":1,"format":"CD",)"
                          R"("track-count":10,"discs":[{"id":"%4","sectors":16876}],"tracks":[%5]}]})")
        .arg(QLatin1String(id), QString::fromUtf8(title), QLatin1String(date), discId, tracks.join(','))
        .toUtf8();
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
