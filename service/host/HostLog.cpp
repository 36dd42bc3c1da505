#include "service/host/HostLog.h"

Q_LOGGING_CATEGORY(lcHost, "ringvale.host", QtWarningMsg)
