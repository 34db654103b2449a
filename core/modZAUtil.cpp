#include "modZAUtil.h"

#include "ListBox.h"
#include "UserDialogs.h"

#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMetaObject>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTimer>

#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <system_error>

namespace fs = std::filesystem;

namespace modZAUtil {

QString DecodeText(const QByteArray& bytes) {
    QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    if (view.isValidUtf8())
        return QString::fromUtf8(view);
    QStringDecoder sjis("windows-31j");
    if (!sjis.isValid())
        sjis = QStringDecoder("Shift_JIS");
    return sjis.isValid() ? sjis(view) : QString::fromLatin1(view);
}

bool ReadLinesToList(const QString& path, clsArrayList& list) {
    QFile file(path);
    if (!file.exists()) {
        // A missing file is made empty, as the original reader did.
        if (!file.open(QIODevice::WriteOnly))
            return false;
        return true;
    }
    if (!file.open(QIODevice::ReadOnly) || QFileInfo(path).isDir())
        return false;
    QByteArray bytes = file.readAll();
    QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    QStringList lines;
    lines.reserve(view.count('\n') + 1);
    if (view.isValidUtf8()) {
        // The common case: lines are decoded one by one, straight from the file's bytes.
        const char* data = view.data();
        const qsizetype n = view.size();
        qsizetype start = 0;
        while (start < n) {
            qsizetype end = start;
            while (end < n && data[end] != '\r' && data[end] != '\n')
                ++end;
            if (end == start)
                break;  // the first empty line ends the read
            lines.append(QString::fromUtf8(data + start, end - start));
            end += (end + 1 < n && data[end] == '\r' && data[end + 1] == '\n') ? 2 : 1;
            start = end;
        }
    } else {
        const QString text = DecodeText(bytes);
        const QChar* data = text.constData();
        const qsizetype n = text.size();
        qsizetype start = 0;
        while (start < n) {
            qsizetype end = start;
            while (end < n && data[end] != u'\r' && data[end] != u'\n')
                ++end;
            if (end == start)
                break;
            lines.append(QString(data + start, end - start));
            end += (end + 1 < n && data[end] == u'\r' && data[end + 1] == u'\n') ? 2 : 1;
            start = end;
        }
    }
    list.append(lines);
    return true;
}

bool WriteListToFile(const QString& path, const clsArrayList& list, UserDialogs* dialogs) {
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok) {
        QByteArray out;
        for (const QString& line : list.items()) {
            out += line.toUtf8();
            out += "\r\n";
        }
        ok = file.write(out) == out.size() && file.commit();
    }
    if (!ok) {
        file.cancelWriting();
        if (dialogs)
            dialogs->message(kWriteErrorText, QStringLiteral("ERROR"));
        return false;
    }
    return true;
}

bool FileExists(const QString& path) {
    if (path.isEmpty())
        return false;
    std::error_code ec;
    return fs::is_regular_file(fs::path(path.toStdString()), ec);
}

bool FolderExists(const QString& path) {
    if (path.isEmpty())
        return false;
    std::error_code ec;
    return fs::is_directory(fs::path(path.toStdString()), ec);
}

bool HasSubFolders(const QString& path) {
    std::error_code ec;
    fs::directory_iterator it(fs::path(path.toStdString()), ec);
    if (ec)
        return false;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            return false;
        std::error_code dirEc;
        if (it->is_directory(dirEc))
            return true;
    }
    return false;
}

namespace {

struct Extension {
    std::string lower;  // ASCII lower case, compared with the last bytes of the name
    QString text;       // used when the extension is not plain ASCII
    bool ascii = true;
};

bool endsWithIgnoringAsciiCase(const std::string& name, const std::string& lowerSuffix) {
    if (name.size() < lowerSuffix.size())
        return false;
    const size_t off = name.size() - lowerSuffix.size();
    for (size_t i = 0; i < lowerSuffix.size(); ++i) {
        char c = name[off + i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerSuffix[i])
            return false;
    }
    return true;
}

using FolderId = std::pair<dev_t, ino_t>;

bool folderId(const fs::path& p, FolderId& id) {
    struct stat st {};
    if (::stat(p.c_str(), &st) != 0)
        return false;
    id = {st.st_dev, st.st_ino};
    return true;
}

// Returns false when the folder itself cannot be read.
bool scanOne(QStringList& out, const fs::path& folder, const std::vector<Extension>& exts,
             bool recurse, std::set<FolderId>& seen) {
    FolderId id;
    if (!folderId(folder, id))
        return false;
    if (!seen.insert(id).second)
        return true;  // already walked: a link led back here
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec)
        return false;
    std::vector<fs::path> subFolders;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        const fs::directory_entry& entry = *it;
        std::error_code typeEc;
        if (entry.is_directory(typeEc)) {
            if (recurse)
                subFolders.push_back(entry.path());
            continue;
        }
        const std::string& native = entry.path().native();
        QString pathText;  // converted only for files that match
        for (const Extension& ext : exts) {
            bool match;
            if (ext.ascii) {
                match = endsWithIgnoringAsciiCase(native, ext.lower);
            } else {
                if (pathText.isEmpty())
                    pathText = QString::fromStdString(native);
                match = pathText.right(ext.text.size()).compare(ext.text, Qt::CaseInsensitive) == 0;
            }
            if (!match)
                continue;
            if (!entry.is_regular_file(typeEc))
                break;  // a dangling link or a device is not a file to play
            if (pathText.isEmpty())
                pathText = QString::fromStdString(native);
            out << pathText;
        }
    }
    for (const fs::path& sub : subFolders)
        scanOne(out, sub, exts, recurse, seen);  // a failing sub-folder is skipped quietly
    return true;
}

}  // namespace

QString ScanFolder(clsArrayList& list, const QString& folder, const QStringList& extensions,
                   bool includeSubFolders) {
    std::vector<Extension> exts;
    for (const QString& e : extensions) {
        Extension x;
        x.text = e.right(4);
        for (QChar c : x.text)
            if (c.unicode() > 127)
                x.ascii = false;
        if (x.ascii)
            x.lower = x.text.toLower().toStdString();
        exts.push_back(std::move(x));
    }
    QStringList found;
    std::set<FolderId> seen;
    fs::path root(folder.toStdString());
    const bool ok = !folder.isEmpty() && scanOne(found, root, exts, includeSubFolders, seen);
    list.append(found);
    return ok ? QString() : kPathAccessErrorText;
}

int16_t NotNegative(int16_t value) { return value < 0 ? 0 : value; }

QString GetFileName(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? path : path.mid(slash + 1);
}

namespace {
// The "00" number pattern: at least two digits, a minus sign in front of negatives.
QString twoDigits(int32_t v) {
    const QString digits = QString::number(std::abs(static_cast<int64_t>(v))).rightJustified(2, u'0');
    return v < 0 ? QStringLiteral("-") + digits : digits;
}
}  // namespace

QString FormatSeconds(int32_t seconds) {
    return twoDigits(seconds / 60) + u':' + twoDigits(seconds % 60);
}

QString ListRowText(const QString& path) {
    QStringView name(path);
    name = name.sliced(path.lastIndexOf(u'/') + 1);
    return (name.size() < 4 ? name : name.chopped(4)).toString();
}

void ShowListInListBox(ListBox& box, const clsArrayList& list) {
    box.setEntries(list.items(), &ListRowText);
}

void SelectAllText(QWidget* control) {
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->selectAll();
}

QString BrowseForFolder(const QString& initialFolder, UserDialogs& dialogs) {
    return dialogs.chooseFolder(QStringLiteral("フォルダを選択してください"), initialFolder);
}

int32_t PickColor(UserDialogs& dialogs) { return dialogs.chooseColor(); }

void DecoderCallback(int32_t status, intptr_t user) {
    if (status != 4 || user == 0)
        return;
    reinterpret_cast<DecoderCallbackTarget*>(user)->report();
}

}  // namespace modZAUtil
