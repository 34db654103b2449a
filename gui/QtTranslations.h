#pragma once

#include <QTranslator>
#include <memory>

class QCoreApplication;

// Qt's own texts (message-box buttons, the folder and colour choosers) in Japanese like the
// rest of the player. Returns the installed translator, or null when Qt's Japanese
// translations are not installed (the texts then stay in English).
std::unique_ptr<QTranslator> InstallQtJapanese(QCoreApplication& app);
