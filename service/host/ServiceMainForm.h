#pragma once

#include <QObject>

// The service's hidden main form as the start-up sees it: loading it starts
// the service's work, unloading it stops all of it.
class ServiceMainForm : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Returns when loading is done; may run events meanwhile.
    virtual void load() = 0;
    // Unloads every form it loaded. Does nothing when not loaded or while an
    // unload is already under way.
    virtual void unload() = 0;
    virtual bool isLoaded() const = 0;

Q_SIGNALS:
    // The desktop asked the service to end ("UNLOAD"). The start-up decides
    // how: a plain process unloads the form and ends, a service stops as on
    // a stop control.
    void unloadRequested();
    // The form was unloaded, by the start-up or by itself.
    void unloaded();
};
