// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A local stand-in for the MusicBrainz web service and the Cover Art
// Archive on an ephemeral port: it answers each request as the test's
// answer function says, counts the requests, and can hold one open forever.
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
