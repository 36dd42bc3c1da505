#include "service/web/WebLog.h"

Q_LOGGING_CATEGORY(lcWeb, "ringvale.web", QtWarningMsg)
