#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class FakeModem;
class LineRequestServer;

// The control socket of a fake modem (modem.sock in the private runtime
// folder): one request per connection, one line of JSON each way.
//   {"command":"ring"}
//   {"command":"cid","number":N,"name":X,"format":F,"private":B}
//   {"command":"raw","bytes":"<hex>"}
// answered {"ok":true|false,"message":TEXT}.
class FakeModemServer : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype MaxRequestBytes = 64 * 1024;

    explicit FakeModemServer(FakeModem* modem, QObject* parent = nullptr);

    static QString socketPath();
    // Takes over a socket left by a program that ended; false with the
    // reason when another program serves here, or it cannot listen.
    bool listen(const QString& path, QString* error);

    // What the modem did with a request: empty when it was done.
    QString handle(const QByteArray& request);

private:
    FakeModem* m_modem;
    LineRequestServer* m_server;
};
