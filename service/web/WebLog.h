#pragma once

#include <QLoggingCategory>

// Developer diagnostics of the web server; silent unless QT_LOGGING_RULES
// turns on "ringvale.web.debug".
Q_DECLARE_LOGGING_CATEGORY(lcWeb)
