#include "modZAUtil.h"

#include "UserDialogs.h"

#include <QCollator>
#include <QLocale>
#include <QMetaObject>
#include <QStringDecoder>
#include <QTimer>
#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <numeric>
#include <optional>
#include <set>
#include <string_view>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace modZAUtil {

namespace {

QStringView withoutBom(QStringView text) {
    return text.startsWith(u'\uFEFF') ? text.sliced(1) : text;
}

// UTF-16 with its byte-order mark, as some Windows editors save text.
std::optional<QString> decodeUtf16(QByteArrayView bytes) {
    if (bytes.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringConverter::Utf16LE,
                              QStringConverter::Flag::Stateless)(bytes.sliced(2));
    if (bytes.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringConverter::Utf16BE,
                              QStringConverter::Flag::Stateless)(bytes.sliced(2));
    return std::nullopt;
}

// Valid UTF-8 to text, keeping a U+FEFF at the start, which QString::fromUtf8 would drop: the
// file's own byte-order mark is removed before this, so one here belongs to a name.
QString fromUtf8KeepingBom(QByteArrayView bytes) {
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes);
    return QStringDecoder(QStringConverter::Utf8,
                          QStringConverter::Flag::Stateless |
                              QStringConverter::Flag::ConvertInitialBom)(bytes);
}

template <typename Char, typename Make>
void splitLines(const Char* data, qsizetype n, QStringList& lines, Make make) {
    qsizetype start = 0;
    while (start < n) {
        qsizetype end = start;
        while (end < n && data[end] != Char(u'\r') && data[end] != Char(u'\n'))
            ++end;
        if (end == start || lines.size() >= kMaxListLines)
            break;  // the first empty line ends the read
        lines.append(make(data + start, end - start));
        end += (end + 1 < n && data[end] == Char(u'\r') && data[end + 1] == Char(u'\n')) ? 2 : 1;
        start = end;
    }
}

// What one character of Shift_JIS bytes is, as far as telling Japanese text from Western
// text read as Shift_JIS goes.
enum class SjisKind { Ascii, Letter, HalfKana, Kana, CommonKanji, RareKanji, Invalid };

// The kind of the character at `bytes[i]`, and how many bytes it takes. Accented Western
// letters land on half-width kana (capitals), on JIS level-2 kanji or the user-defined area
// (small letters), or on no character at all; Japanese text uses kana and level-1 kanji.
SjisKind sjisKind(QByteArrayView bytes, qsizetype i, int& length) {
    const auto isLetter = [](unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; };
    const auto b = static_cast<unsigned char>(bytes[i]);
    length = 1;
    if (b < 0x80)
        return isLetter(b) ? SjisKind::Letter : SjisKind::Ascii;
    if (b >= 0xA1 && b <= 0xDF)
        return SjisKind::HalfKana;
    const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    if (!lead || i + 1 >= bytes.size())
        return SjisKind::Invalid;
    const auto t = static_cast<unsigned char>(bytes[i + 1]);
    if (t < 0x40 || t == 0x7F || t > 0xFC)
        return SjisKind::Invalid;
    length = 2;
    if (b <= 0x87)
        return b == 0x85 || b == 0x86 ? SjisKind::Invalid : SjisKind::Kana;  // symbols, kana
    // An accented letter and the letter after it make one kanji: not a word's only kanji.
    if ((b <= 0x97 || (b == 0x98 && t <= 0x72)) && !isLetter(t))
        return SjisKind::CommonKanji;
    if (b >= 0xF0 && b <= 0xF9)
        return SjisKind::Invalid;  // user-defined: never in a tag or a list
    return SjisKind::RareKanji;
}

// True when bytes that are not UTF-8 read best as Japanese: kana, runs of kanji or of
// half-width kana outweigh what an accented letter read as Shift_JIS makes, a lone kana or
// rare kanji against a Latin letter ("Myl鈩e" for Mylène, "ﾑu" for Ñu).
bool LooksJapanese(QByteArrayView bytes) {
    std::vector<SjisKind> kinds;
    kinds.reserve(size_t(bytes.size()));
    for (qsizetype i = 0; i < bytes.size();) {
        int length = 1;
        const SjisKind kind = sjisKind(bytes, i, length);
        if (kind == SjisKind::Invalid)
            return false;
        kinds.push_back(kind);
        i += length;
    }
    const auto isWide = [](SjisKind k) { return k >= SjisKind::HalfKana; };
    qsizetype evidence = 0;
    qsizetype doubt = 0;
    for (size_t i = 0; i < kinds.size();) {
        if (!isWide(kinds[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < kinds.size() && isWide(kinds[end]))
            ++end;
        const bool letterBefore = i > 0 && kinds[i - 1] == SjisKind::Letter;
        const bool letterAfter = end < kinds.size() && kinds[end] == SjisKind::Letter;
        if (end - i >= 2) {
            ++evidence;
        } else {
            switch (kinds[i]) {
            case SjisKind::Kana:
                ++evidence;
                break;
            case SjisKind::CommonKanji:
                ++(letterBefore && letterAfter ? doubt : evidence);
                break;
            default:  // a lone half-width kana or rare kanji
                ++(letterBefore || letterAfter ? doubt : evidence);
                break;
            }
        }
        i = end;
    }
    return evidence > doubt;
}

}  // namespace

QString DecodeText(const QByteArray& bytes) {
    if (auto utf16 = decodeUtf16(bytes))
        return withoutBom(*utf16).toString();
    QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    if (view.isValidUtf8())
        return fromUtf8KeepingBom(view);
    if (LooksJapanese(view)) {
        QStringDecoder sjis("windows-31j");
        if (!sjis.isValid())
            sjis = QStringDecoder("Shift_JIS");
        if (sjis.isValid())
            return sjis(view);
    }
    QStringDecoder western("windows-1252");
    return western.isValid() ? western(view) : QString::fromLatin1(view);
}

bool ReadLinesToList(const QString& path, clsArrayList& list, UserDialogs* dialogs,
                     IfMissing ifMissing) {
    QByteArray bytes;
    switch (ReadFileBytes(path, bytes)) {
    case ReadStatus::Ok:
        break;
    case ReadStatus::Missing:
        if (ifMissing == IfMissing::Create && CreateEmptyFile(path))
            return true;
        if (dialogs && ifMissing == IfMissing::Report)
            dialogs->message(path + QStringLiteral("にアクセスできません。"),
                             QStringLiteral("ZAPT"));
        return false;
    case ReadStatus::TooLarge:
        if (dialogs)
            dialogs->message(path + u'\n' + kTooLargeText, QStringLiteral("ZAPT"));
        return false;
    case ReadStatus::NotAFile:
    case ReadStatus::Failed:
        return false;
    }
    QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    QStringList lines;
    if (view.isValidUtf8()) {
        // The common case: lines are decoded one by one, straight from the file's bytes.
        lines.reserve(std::min<qsizetype>(view.count('\n') + 1, kMaxListLines));
        splitLines(view.data(), view.size(), lines, [](const char* p, qsizetype n) {
            return fromUtf8KeepingBom({p, n});
        });
    } else {
        const QString text = DecodeText(bytes);
        splitLines(text.constData(), text.size(), lines,
                   [](const QChar* p, qsizetype n) { return QString(p, n); });
    }
    list.append(lines);
    return true;
}

bool HasLineBreak(QStringView text) {
    return text.contains(u'\n') || text.contains(u'\r');
}

bool WriteListToFile(const QString& path, const clsArrayList& list, UserDialogs* dialogs) {
    QByteArray out;
    for (const QString& line : list.items()) {
        if (HasLineBreak(line))
            continue;
        out += line.toUtf8();
        out += "\r\n";
    }
    if (WriteFileAtomically(path, out))
        return true;
    if (dialogs)
        dialogs->message(kWriteErrorText, QStringLiteral("ERROR"));
    return false;
}

bool FileExists(const QString& path) {
    struct stat st {};
    return !path.isEmpty() && ::stat(NativePath(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DeleteListedFile(clsArrayList& files, int32_t row) {
    if (row < 0 || row >= files.Count())
        return false;
    if (::unlink(NativePath(files.Value(row)).constData()) != 0)
        return false;
    files.Delete(row);
    return true;
}

int32_t SelectionAfterDelete(int32_t row, int32_t countAfter) {
    if (countAfter <= 0)
        return -1;
    return row < countAfter ? row : countAfter - 1;
}

bool FolderExists(const QString& path) {
    struct stat st {};
    return !path.isEmpty() && ::stat(NativePath(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool HasSubFolders(const QString& path) {
    std::error_code ec;
    fs::directory_iterator it(fs::path(NativePath(path).toStdString()), ec);
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

// The order of ASCII characters when names are compared: white space, punctuation and symbols
// in the collation order of the Unicode root (which Japanese keeps for these), digits, then
// letters with upper and lower case together. 0 marks control characters, which do not count.
struct AsciiOrder {
    uint8_t rank[128] = {};
    static constexpr uint8_t kDigit = 60;
    constexpr AsciiOrder() {
        const char* order = "\t\n\v\f\r _-,;:!?.'\"()[]{}@*/\\&#%`^+<=>|~$";
        uint8_t r = 1;
        for (const char* c = order; *c; ++c)
            rank[uint8_t(*c)] = r++;
        for (int c = '0'; c <= '9'; ++c)
            rank[c] = kDigit;
        for (int c = 0; c < 26; ++c)
            rank['a' + c] = rank['A' + c] = uint8_t(kDigit + 1 + c);
    }
};
constexpr AsciiOrder kAscii;

bool asciiOnly(QStringView s) {
    for (QChar c : s)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

// A key for a plain-ASCII name whose byte order is the collator's order for such names, an
// order of magnitude faster than asking the collator: a rank per character, and for a digit
// run its value (the count of significant digits, then the digits).
template <typename Char> std::string asciiKey(const Char* p, qsizetype n) {
    // A key is at most four bytes per character (a one-digit run takes four).
    char small[256];
    std::string large;
    if (n * 4 > qsizetype(sizeof small))
        large.resize(size_t(n) * 4);
    char* const begin = large.empty() ? small : large.data();
    char* out = begin;
    for (qsizetype i = 0; i < n;) {
        const uint8_t rank = kAscii.rank[uint8_t(p[i])];
        if (rank != AsciiOrder::kDigit) {
            if (rank != 0)
                *out++ = char(rank);
            ++i;
            continue;
        }
        while (i < n && p[i] == Char('0'))
            ++i;
        const qsizetype first = i;
        while (i < n && p[i] >= Char('0') && p[i] <= Char('9'))
            ++i;
        const qsizetype digits = std::min<qsizetype>(i - first, 0xFFFF);
        *out++ = char(AsciiOrder::kDigit);
        *out++ = char(uint8_t(digits >> 8));
        *out++ = char(uint8_t(digits));
        for (qsizetype k = first; k < first + digits; ++k)
            *out++ = char(p[k]);
    }
    return std::string(begin, out);
}

std::string asciiKey(QStringView s) {
    return asciiKey(s.utf16(), s.size());
}

const QCollator& nameCollator() {
    // Japanese, whatever the environment says: the order must not change with the locale the
    // program happens to start in (the C locale would turn the collator into a plain compare).
    static const QCollator collator = [] {
        QCollator c(QLocale(QLocale::Japanese, QLocale::Japan));
        c.setNumericMode(true);
        c.setCaseSensitivity(Qt::CaseInsensitive);
        c.compare(u"a", u"b");  // set up now, not on the first real use
        return c;
    }();
    return collator;
}

}  // namespace

int CompareNames(QStringView a, QStringView b) {
    int order = asciiOnly(a) && asciiOnly(b) ? asciiKey(a).compare(asciiKey(b))
                                             : nameCollator().compare(a, b);
    if (order == 0)
        order = a.compare(b);  // names equal to the eye still get one fixed order
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

namespace {

// The positions of `names` in CompareNames order. Each name gets its key once (a plain-ASCII key
// when every name is plain ASCII, the collator's otherwise), so a sort compares bytes only.
std::vector<size_t> nameOrder(const std::vector<QStringView>& names) {
    std::vector<size_t> order(names.size());
    std::iota(order.begin(), order.end(), size_t(0));
    auto sortBy = [&](const auto& keys) {
        std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            int c = keys[a].compare(keys[b]);
            if (c == 0)
                c = names[a].compare(names[b]);
            return c != 0 ? c < 0 : a < b;
        });
    };
    if (std::all_of(names.begin(), names.end(), asciiOnly)) {
        std::vector<std::string> keys;
        keys.reserve(names.size());
        for (QStringView name : names)
            keys.push_back(asciiKey(name));
        sortBy(keys);
    } else {
        std::vector<QCollatorSortKey> keys;
        keys.reserve(names.size());
        for (QStringView name : names)
            keys.push_back(nameCollator().sortKey(name.toString()));
        sortBy(keys);
    }
    return order;
}

}  // namespace

void SortPathsByName(QStringList& paths) {
    std::vector<QStringView> names;
    names.reserve(paths.size());
    for (const QString& p : paths)
        names.push_back(QStringView(p).sliced(p.lastIndexOf(u'/') + 1));
    QStringList sorted;
    sorted.reserve(paths.size());
    for (size_t k : nameOrder(names))
        sorted << paths[qsizetype(k)];
    paths = std::move(sorted);
}

QString JoinPath(const QString& folder, const QString& name) {
    return folder.endsWith(u'/') ? QString(folder + name) : QString(folder + u'/' + name);
}

namespace {

struct Extension {
    std::string lower;  // ASCII lower case, compared with the last bytes of the name
    QString text;       // used when the extension is not plain ASCII
    bool ascii = true;
};

bool endsWithIgnoringAsciiCase(std::string_view name, const std::string& lowerSuffix) {
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

struct Entry {
    std::string native;  // the name as the system has it
    QString name;        // as shown; made for a name that is not plain ASCII (or to compare)
    std::string key;     // the sort key of a plain-ASCII name
    int copies = 1;      // matches in the extension list

    bool ascii() const { return name.isNull(); }
    QString shown() const { return ascii() ? QString::fromLatin1(native) : name; }
};

Entry makeEntry(std::string_view native) {
    Entry e{std::string(native), {}, {}, 1};
    if (std::all_of(native.begin(), native.end(), [](char c) { return uint8_t(c) < 0x80; }))
        e.key = asciiKey(native.data(), qsizetype(native.size()));
    else
        e.name = DecodePath(QByteArrayView(native.data(), qsizetype(native.size())));
    return e;
}

// The entries in CompareNames order; plain-ASCII names (the bulk of most folders) by their keys
// alone. Pointers are sorted, so the entries themselves never move.
std::vector<const Entry*> sortEntries(std::vector<Entry>& entries) {
    std::vector<const Entry*> order;
    order.reserve(entries.size());
    bool ascii = true;
    for (const Entry& e : entries) {
        order.push_back(&e);
        ascii = ascii && e.ascii();
    }
    if (ascii) {
        std::sort(order.begin(), order.end(), [](const Entry* a, const Entry* b) {
            const int c = a->key.compare(b->key);
            return c != 0 ? c < 0 : a->native < b->native;
        });
        return order;
    }
    std::vector<QStringView> names;
    names.reserve(entries.size());
    for (Entry& e : entries) {
        e.name = e.shown();
        names.push_back(e.name);
    }
    for (size_t k = 0; const size_t at : nameOrder(names))
        order[k++] = &entries[at];
    return order;
}

// The type of a directory entry, links followed; asks the system only when the listing does
// not say.
mode_t entryType(int folderFd, const dirent* entry) {
    switch (entry->d_type) {
    case DT_DIR:
        return S_IFDIR;
    case DT_REG:
        return S_IFREG;
    case DT_LNK:
    case DT_UNKNOWN:
        break;
    default:
        return 0;
    }
    struct stat st {};
    return ::fstatat(folderFd, entry->d_name, &st, 0) == 0 ? st.st_mode & S_IFMT : 0;
}

// Returns false when the folder itself cannot be read.
bool scanOne(QStringList& out, const std::string& folder, const QString& folderText,
             const std::vector<Extension>& exts, bool recurse, std::set<FolderId>& seen) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !seen.insert({st.st_dev, st.st_ino}).second) {
        ::close(fd);
        return true;  // already walked: a link led back here
    }
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
    std::vector<Entry> files, subFolders;
    files.reserve(128);                             // a typical album without growing
    while (const dirent* entry = ::readdir(dir)) {  // a read error ends the listing
        const std::string_view name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        int copies = 0;
        QString text;
        for (const Extension& ext : exts) {
            bool match;
            if (ext.ascii) {
                match = endsWithIgnoringAsciiCase(name, ext.lower);
            } else {
                if (text.isNull())
                    text = DecodePath(QByteArrayView(name.data(), qsizetype(name.size())));
                match = text.right(ext.text.size()).compare(ext.text, Qt::CaseInsensitive) == 0;
            }
            copies += match ? 1 : 0;
        }
        if (copies == 0 && !recurse)
            continue;
        const mode_t type = entryType(fd, entry);
        if (type == S_IFDIR) {
            if (recurse)
                subFolders.push_back(makeEntry(name));
        } else if (copies > 0 && type == S_IFREG) {  // not a dangling link, not a device
            files.push_back(makeEntry(name));
            files.back().copies = copies;
        }
    }
    ::closedir(dir);
    const QString prefix = folderText.endsWith(u'/') ? folderText : QString(folderText + u'/');
    for (const Entry* file : sortEntries(files)) {
        const QString path = file->ascii() ? QString(prefix + QLatin1StringView(file->native))
                                           : QString(prefix + file->name);
        for (int k = 0; k < file->copies; ++k)
            out << path;
    }
    const std::string base = folder.ends_with('/') ? folder : folder + '/';
    for (const Entry* sub : sortEntries(subFolders))  // a failing sub-folder is skipped quietly
        scanOne(out, base + sub->native, prefix + sub->shown(), exts, recurse, seen);
    return true;
}

}  // namespace

QString ScanFolder(clsArrayList& list, const QString& folder, const QStringList& extensions,
                   bool includeSubFolders) {
    std::vector<Extension> exts;
    for (const QString& e : extensions) {
        Extension x;
        x.text = e;  // the whole ending: ".flac" must not match "xflac"
        for (QChar c : x.text)
            if (c.unicode() > 127)
                x.ascii = false;
        if (x.ascii)
            x.lower = x.text.toLower().toStdString();
        exts.push_back(std::move(x));
    }
    QStringList found;
    std::set<FolderId> seen;
    const std::string root = NativePath(folder).toStdString();
    const bool ok =
        !folder.isEmpty() && scanOne(found, root, folder, exts, includeSubFolders, seen);
    list.append(found);
    return ok ? QString() : kPathAccessErrorText;
}

int16_t NotNegative(int16_t value) {
    return value < 0 ? 0 : value;
}

QString GetFileName(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? path : path.mid(slash + 1);
}

namespace {
// The "00" number pattern: at least two digits, a minus sign in front of negatives.
QString twoDigits(int32_t v) {
    const QString digits =
        QString::number(std::abs(static_cast<int64_t>(v))).rightJustified(2, u'0');
    return v < 0 ? QStringLiteral("-") + digits : digits;
}
}  // namespace

QString FormatSeconds(int32_t seconds) {
    return twoDigits(seconds / 60) + u':' + twoDigits(seconds % 60);
}

bool EndsWithAny(const QString& path, std::initializer_list<const char*> endings) {
    for (const char* ending : endings)
        if (path.endsWith(QLatin1StringView(ending), Qt::CaseInsensitive))
            return true;
    return false;
}

QStringView WithoutExtension(QStringView fileName) {
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot <= 0 || dot + 1 == fileName.size())
        return fileName;
    for (QChar c : fileName.sliced(dot + 1))
        if (c.isSpace())
            return fileName;
    return fileName.first(dot);
}

QString ListRowText(const QString& path) {
    return WithoutExtension(QStringView(path).sliced(path.lastIndexOf(u'/') + 1)).toString();
}

QString BrowseForFolder(const QString& initialFolder, UserDialogs& dialogs) {
    return dialogs.chooseFolder(QStringLiteral("フォルダを選択してください"), initialFolder);
}

int32_t PickColor(UserDialogs& dialogs) {
    return dialogs.chooseColor();
}

}  // namespace modZAUtil
