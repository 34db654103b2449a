#include "OptionRules.h"

#include "core/modZAUtil.h"

#include <cmath>
#include <filesystem>

namespace OptionRules {

QString BlankText(std::chrono::milliseconds blank) {
    return QString::number(static_cast<double>(blank.count()) / 1000.0, 'g', 6);
}

std::optional<std::chrono::milliseconds> BlankTime(const QString& text) {
    bool ok = false;
    const double seconds = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds < 0)
        return std::nullopt;
    const double milliseconds = std::trunc(seconds) * 1000;
    if (milliseconds > 32767)
        return std::nullopt;
    return std::chrono::milliseconds(static_cast<int16_t>(milliseconds));
}

QString BlankStep(const QString& text, bool up) {
    bool ok = false;
    const double read = text.trimmed().toDouble(&ok);
    int value = ok && std::isfinite(read) && std::abs(read) < 1e6 ? static_cast<int>(read) : 0;
    if (up && value <= kBlankStepMaximum - 1)
        ++value;
    else if (!up && value >= 1)
        --value;
    return QString::number(value);
}

int16_t SetDirAction(int chosen, bool play, bool shuffle) {
    if (chosen <= 0)
        return 0;
    return static_cast<int16_t>(chosen + (play ? 4 : 0) + (shuffle ? 8 : 0));
}

bool FolderLargerThan(const QString& folder, qint64 limit) {
    namespace fs = std::filesystem;
    if (folder.isEmpty() || !modZAUtil::FolderExists(folder))
        return false;
    std::error_code error;
    fs::recursive_directory_iterator it(modZAUtil::NativePath(folder).toStdString(),
                                        fs::directory_options::skip_permission_denied, error);
    qint64 total = 0;
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        std::error_code ignored;
        if (!it->is_regular_file(ignored) || it->is_symlink(ignored))
            continue;
        const auto size = it->file_size(ignored);
        if (ignored)
            continue;
        total += static_cast<qint64>(size);
        if (total > limit)
            return true;
    }
    return false;
}

}  // namespace OptionRules
