#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Sets or clears CURL_CA_BUNDLE for one test.
class CaBundle {
public:
    explicit CaBundle(const QString& file)
        : m_had(qEnvironmentVariableIsSet("CURL_CA_BUNDLE"))
        , m_old(qgetenv("CURL_CA_BUNDLE"))
    {
        if (file.isEmpty())
            qunsetenv("CURL_CA_BUNDLE");
        else
            qputenv("CURL_CA_BUNDLE", QFile::encodeName(file));
    }
    ~CaBundle()
    {
        if (m_had)
            qputenv("CURL_CA_BUNDLE", m_old);
        else
            qunsetenv("CURL_CA_BUNDLE");
    }

private:
    bool m_had;
    QByteArray m_old;
};
