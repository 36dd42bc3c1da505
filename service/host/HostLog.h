#pragma once

#include <QLoggingCategory>

// Developer diagnostics of the start-up and the service host; silent unless
// QT_LOGGING_RULES turns on "ringvale.host.debug".
Q_DECLARE_LOGGING_CATEGORY(lcHost)
