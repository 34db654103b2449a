#include "Logging.h"

Q_LOGGING_CATEGORY(lcState, "zapt.state")
Q_LOGGING_CATEGORY(lcAudio, "zapt.audio")
Q_LOGGING_CATEGORY(lcDesktop, "zapt.desktop")
