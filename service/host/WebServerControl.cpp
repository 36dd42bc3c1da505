#include "service/host/WebServerControl.h"

#include "common/SharedFile.h"
#include "service/core/ProductTitle.h"
#include "service/web/frmHTTP.h"

#include <QMetaObject>
#include <QThread>

#include <cstdio>

#include <utility>

WebServer::WebServer(const Journal& journal, QObject* parent)
    : WebServerControl(parent)
    , m_journal(journal)
{
}

WebServer::~WebServer()
{
    stop();
}

namespace {

// Tests and tools that run the service beside other servers set this to a
// file: the server then listens on a port the system picks and writes it
// there, so nobody has to guess a free port.
QString portFile()
{
    return qEnvironmentVariable("RINGVALE_WEB_PORT_FILE");
}

void reportPort(quint16 port)
{
    const QString path = portFile();
    if (path.isEmpty())
        return;
    if (!SharedFile::writeAtomically(path, QByteArray::number(port) + '\n'))
        std::fprintf(stderr, "RingvaleSvc: cannot write the web port: %s\n",
            qPrintable(SharedFile::lastWriteFailure()));
}

} // namespace

void WebServer::start(WebAccessSettings& settings)
{
    stop();
    frmHTTP::Options options;
    options.productTitle = ProductTitle();
    options.journal = &m_journal;
    options.anyPort = !portFile().isEmpty();

    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("web"));
    m_thread->start();
    // The server and its sockets are made on the thread that serves them.
    QObject context;
    context.moveToThread(m_thread);
    QMetaObject::invokeMethod(
        &context,
        [&] {
            m_server = new frmHTTP(settings, options);
            m_server->start();
            settings.RCWWWAllow = m_server->settings().RCWWWAllow;
            m_port = m_server->serverPort();
            m_listenError = m_server->listenError();
        },
        Qt::BlockingQueuedConnection);
    reportPort(m_port);
}

void WebServer::stop()
{
    if (!m_thread)
        return;
    // Deleted on its own thread, which then ends; nothing is sent after this.
    QMetaObject::invokeMethod(
        m_server, [this] { delete std::exchange(m_server, nullptr); }, Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    delete std::exchange(m_thread, nullptr);
    m_port = 0;
    reportPort(0);
}
