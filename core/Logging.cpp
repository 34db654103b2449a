#include "Logging.h"

Q_LOGGING_CATEGORY(lcState, "zapt.state")
