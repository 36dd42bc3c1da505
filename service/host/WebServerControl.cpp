#include "service/host/WebServerControl.h"

#include "service/core/ProductTitle.h"
#include "service/web/frmHTTP.h"

WebServer::~WebServer()
{
    stop();
}

void WebServer::start(WebAccessSettings& settings)
{
    stop();
    frmHTTP::Options options;
    options.productTitle = ProductTitle();
    options.journal = &m_journal;
    m_server = new frmHTTP(settings, options, this);
    m_server->start();
    settings.RCWWWAllow = m_server->settings().RCWWWAllow;
}

void WebServer::stop()
{
    if (!m_server)
        return;
    m_server->stop();
    delete m_server;
    m_server = nullptr;
}

quint16 WebServer::serverPort() const
{
    return m_server ? m_server->serverPort() : 0;
}

QString WebServer::listenError() const
{
    return m_server ? m_server->listenError() : QString();
}
