#include "library/CueSheet.h"

#include "core/FileAccess.h"
#include "core/modZAUtil.h"

#include <QDir>
#include <algorithm>
#include <bitset>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using Time = CueSheet::Time;

namespace {

// The extensions of the audio files a sheet names, for the renamed-file fallback.
constexpr const char16_t* kAudioExtensions[] = {u"flac", u"wav", u"ape", u"wv",   u"tta",
                                                u"tak",  u"mp3", u"ogg", u"opus", u"m4a",
                                                u"aiff", u"aif", u"wma"};
// Files whose own metadata can hold a sheet, so a reference may name them instead of a .cue.
constexpr const char16_t* kReferenceExtensions[] = {u"cue", u"flac", u"wv", u"ape"};

bool IsBlank(QChar c) {
    return c.unicode() <= 0x20;  // space, tab and the control characters, NUL among them
}

QString Capped(QStringView text) {
    qsizetype n = std::min(text.size(), CueSheet::kMaxTextChars);
    if (n < text.size() && n > 0 && text[n - 1].isHighSurrogate())
        --n;
    return text.first(n).toString();
}

// Walks the words of one line: a word is a quoted text (up to the next quote or the end of
// the line) or a run of non-blank characters.
class Words {
public:
    explicit Words(QStringView line) : rest_(line) {}

    QStringView Next() {
        skipBlanks();
        if (rest_.isEmpty())
            return {};
        if (rest_.front() == u'"') {
            const qsizetype close = rest_.indexOf(u'"', 1);
            const QStringView word = rest_.sliced(1, (close < 0 ? rest_.size() : close) - 1);
            rest_ = close < 0 ? QStringView() : rest_.sliced(close + 1);
            return word;
        }
        qsizetype end = 0;
        while (end < rest_.size() && !IsBlank(rest_[end]))
            ++end;
        const QStringView word = rest_.first(end);
        rest_ = rest_.sliced(end);
        return word;
    }

    // The rest of the line as one value: a quoted text, else everything up to the line's end.
    QStringView Value() {
        skipBlanks();
        if (!rest_.isEmpty() && rest_.front() == u'"')
            return Next();
        QStringView value = rest_;
        while (!value.isEmpty() && IsBlank(value.back()))
            value.chop(1);
        rest_ = {};
        return value;
    }

    // A FILE line's name: quoted, or unquoted and possibly with spaces, followed by the file
    // type (WAVE, MP3, …), a last word without a dot, which some sheets leave out.
    QStringView FileName() {
        skipBlanks();
        if (!rest_.isEmpty() && rest_.front() == u'"')
            return Next();
        QStringView value = Value();
        qsizetype space = value.size();
        while (space > 0 && !IsBlank(value[space - 1]))
            --space;
        if (space == 0 || value.sliced(space).contains(u'.'))
            return value;
        QStringView name = value.first(space);
        while (!name.isEmpty() && IsBlank(name.back()))
            name.chop(1);
        return name;
    }

private:
    void skipBlanks() {
        while (!rest_.isEmpty() && IsBlank(rest_.front()))
            rest_ = rest_.sliced(1);
    }
    QStringView rest_;
};

bool Is(QStringView word, QStringView keyword) {
    return word.compare(keyword, Qt::CaseInsensitive) == 0;
}

// A number of 1 to `maxDigits` ASCII digits.
std::optional<int> Digits(QStringView text, int maxDigits) {
    if (text.isEmpty() || text.size() > maxDigits)
        return std::nullopt;
    int value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

// mm:ss:ff, minutes as long as an image can be (up to 99,999).
std::optional<Time> ParseTime(QStringView text) {
    const qsizetype first = text.indexOf(u':');
    const qsizetype second = first < 0 ? -1 : text.indexOf(u':', first + 1);
    if (second < 0)
        return std::nullopt;
    const auto minutes = Digits(text.first(first), 5);
    const auto seconds = Digits(text.sliced(first + 1, second - first - 1), 2);
    const auto frames = Digits(text.sliced(second + 1), 2);
    if (!minutes || !seconds || !frames || *seconds >= 60 || *frames >= 75)
        return std::nullopt;
    return CueSheet::CdFrames((int64_t(*minutes) * 60 + *seconds) * 75 + *frames);
}

class Parser {
public:
    // `oneFile`: every line belongs to a single file, FILE lines or not (an embedded sheet).
    Parser(CueSheet& sheet, bool oneFile) : sheet_(sheet), oneFile_(oneFile) {
        if (oneFile_) {
            sheet_.files.append(CueSheet::File{});
            file_ = 0;
        }
    }

    void Line(QStringView line) {
        Words words(line);
        const QStringView keyword = words.Next();
        if (Is(keyword, u"TRACK"))
            track(words);
        else if (Is(keyword, u"INDEX"))
            index(words);
        else if (Is(keyword, u"FILE"))
            file(words);
        else if (Is(keyword, u"TITLE"))
            text(words, &CueSheet::title, &CueSheet::Track::title);
        else if (Is(keyword, u"PERFORMER"))
            text(words, &CueSheet::performer, &CueSheet::Track::performer);
        else if (Is(keyword, u"PREGAP"))
            pregap(words);
        else if (Is(keyword, u"REM"))
            remark(words);
    }

    void Finish() { close(); }

private:
    enum class Scope { Disc, Track, Skipped };

    void file(Words& words) {
        if (oneFile_)
            return;
        if (sheet_.files.size() >= CueSheet::kMaxFiles) {
            file_ = -1;
            return;
        }
        sheet_.files.append(CueSheet::File{Capped(words.FileName()), {}, std::nullopt});
        file_ = sheet_.files.size() - 1;
    }

    void track(Words& words) {
        close();
        scope_ = Scope::Skipped;
        const auto number = Digits(words.Next(), 3);
        const QStringView type = words.Next();
        if (file_ < 0 || !number || *number < 1 || *number > CueSheet::kMaxTracks ||
            seen_.test(size_t(*number)) || count_ >= CueSheet::kMaxTracks ||
            (!type.isEmpty() && !Is(type, u"AUDIO")))
            return;
        seen_.set(size_t(*number));
        ++count_;
        open_ = CueSheet::Track{};
        open_->number = *number;
        trackFile_ = file_;
        index00File_ = index01File_ = -1;
        scope_ = Scope::Track;
    }

    void index(Words& words) {
        if (scope_ != Scope::Track || file_ < 0)
            return;
        const auto number = Digits(words.Next(), 2);
        const auto time = ParseTime(words.Next());
        if (!number || !time)
            return;
        if (*number == 0 && !open_->index00) {
            open_->index00 = time;
            index00File_ = file_;
        } else if (*number == 1 && !open_->index01) {
            open_->index01 = time;
            index01File_ = file_;
        }
    }

    void pregap(Words& words) {
        if (scope_ == Scope::Track)
            if (const auto time = ParseTime(words.Next()))
                open_->pregap = *time;
    }

    void text(Words& words, QString CueSheet::*disc, QString CueSheet::Track::*track) {
        if (scope_ == Scope::Track)
            open_.value().*track = Capped(words.Value());
        else if (scope_ == Scope::Disc && (sheet_.*disc).isEmpty())
            sheet_.*disc = Capped(words.Value());
    }

    void remark(Words& words) {
        const QStringView name = words.Next();
        if (scope_ != Scope::Disc)
            return;
        QString* field = Is(name, u"DATE")    ? &sheet_.date
                         : Is(name, u"GENRE") ? &sheet_.genre
                                              : nullptr;
        if (field && field->isEmpty())
            *field = Capped(words.Value());
    }

    // Puts the open track under the file of its INDEX 01. A pregap the ripper left at the end
    // of an earlier file (INDEX 00 before the next FILE line) ends that file's last track.
    void close() {
        if (!open_)
            return;
        const qsizetype owner = index01File_ >= 0 ? index01File_ : trackFile_;
        if (open_->index00 && index00File_ != owner) {
            if (index00File_ < owner && !sheet_.files[index00File_].nextPregap)
                sheet_.files[index00File_].nextPregap = open_->index00;
            open_->index00.reset();
        }
        sheet_.files[owner].tracks.append(std::move(*open_));
        open_.reset();
    }

    CueSheet& sheet_;
    const bool oneFile_;
    qsizetype file_ = -1;  // the file lines now belong to; -1 before any or past the limit
    Scope scope_ = Scope::Disc;
    std::optional<CueSheet::Track> open_;
    qsizetype trackFile_ = -1;
    qsizetype index00File_ = -1;
    qsizetype index01File_ = -1;
    std::bitset<CueSheet::kMaxTracks + 1> seen_;
    int count_ = 0;
};

CueSheet ParseText(QStringView text, bool oneFile) {
    CueSheet sheet;
    Parser parser(sheet, oneFile);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        parser.Line(text.sliced(start, end - start));
        start = end + 1;
    }
    parser.Finish();
    return sheet;
}

bool HasExtension(QStringView path, QStringView extension) {
    return path.size() > extension.size() + 1 && path[path.size() - extension.size() - 1] == u'.' &&
           path.endsWith(extension, Qt::CaseInsensitive);
}

// The audio file a FILE line names: beside the sheet by its name, by the last part of a
// Windows path, or renamed to another audio extension.
QString ResolveFile(const QString& name, const QString& folder,
                    const CueSheet::FileExists& exists) {
    QString relative = name;
    relative.replace(u'\\', u'/');
    if (relative.trimmed().isEmpty())
        return {};
    const bool windowsAbsolute = relative.size() > 2 && relative[1] == u':';
    QStringList candidates;
    if (relative.startsWith(u'/'))
        candidates << QDir::cleanPath(relative);
    else if (!windowsAbsolute)
        candidates << QDir::cleanPath(folder.isEmpty() ? relative
                                                       : modZAUtil::JoinPath(folder, relative));
    const QString lastPart = modZAUtil::GetFileName(relative);
    if (!lastPart.isEmpty()) {
        const QString beside = folder.isEmpty() ? lastPart : modZAUtil::JoinPath(folder, lastPart);
        if (!candidates.contains(beside))
            candidates << beside;
    }
    for (const QString& candidate : candidates)
        if (exists(candidate))
            return candidate;
    for (const QString& candidate : candidates) {
        const QString base =
            candidate.first(candidate.size() - modZAUtil::GetFileName(candidate).size()) +
            modZAUtil::WithoutExtension(modZAUtil::GetFileName(candidate));
        QStringList found;
        for (const char16_t* extension : kAudioExtensions) {
            const QString lower = QString::fromUtf16(extension);
            for (const QString& ext : {lower, lower.toUpper()}) {
                const QString other = base + u'.' + ext;
                if (other != candidate && exists(other))
                    found << other;
            }
        }
        if (found.size() == 1)
            return found.front();
    }
    return {};
}

}  // namespace

CueSheet CueSheet::Parse(const QByteArray& bytes) {
    if (bytes.size() > kMaxBytes)
        return {};
    return ParseText(modZAUtil::DecodeText(bytes), false);
}

std::optional<CueSheet> CueSheet::ReadFile(const QString& path) {
    QByteArray bytes;
    if (modZAUtil::ReadFileBytes(path, bytes, kMaxBytes) != modZAUtil::ReadStatus::Ok)
        return std::nullopt;
    return Parse(bytes);
}

QList<CueSheet::ListedTrack> CueSheet::Tracks(const CueSheet& sheet, const QString& folder,
                                              const FileExists& exists) {
    QList<ListedTrack> listed;
    for (const File& file : sheet.files) {
        QList<const Track*> tracks;
        for (const Track& track : file.tracks)
            if (track.index01)
                tracks.append(&track);
        if (tracks.isEmpty())
            continue;
        const QString path = ResolveFile(file.name, folder, exists);
        if (path.isEmpty())
            continue;
        std::stable_sort(tracks.begin(), tracks.end(),
                         [](const Track* a, const Track* b) { return *a->index01 < *b->index01; });
        tracks.erase(
            std::unique(tracks.begin(), tracks.end(),
                        [](const Track* a, const Track* b) { return *a->index01 == *b->index01; }),
            tracks.end());
        const QString imageName =
            modZAUtil::WithoutExtension(modZAUtil::GetFileName(path)).toString();
        for (qsizetype i = 0; i < tracks.size(); ++i) {
            const Track& track = *tracks[i];
            ListedTrack out;
            out.path = path;
            out.number = track.number;
            out.start = *track.index01;
            if (i + 1 < tracks.size()) {
                const Track& next = *tracks[i + 1];
                out.end = *next.index01;
                if (next.index00 && *next.index00 > out.start && *next.index00 < *out.end)
                    out.end = *next.index00;
            } else if (file.nextPregap && *file.nextPregap > out.start) {
                out.end = *file.nextPregap;
            }
            out.title =
                !track.title.isEmpty()
                    ? track.title
                    : imageName + u' ' + QString::number(track.number).rightJustified(2, u'0');
            out.performer = !track.performer.isEmpty() ? track.performer : sheet.performer;
            out.album = sheet.title;
            out.date = sheet.date;
            out.genre = sheet.genre;
            listed.append(std::move(out));
        }
    }
    return listed;
}

// ---- Embedded sheets ----

namespace {

class ImageFile {
public:
    explicit ImageFile(const QString& path) {
        // Non-blocking, so a FIFO cannot hold the caller; only regular files are read.
        fd_ = ::open(modZAUtil::NativePath(path).constData(),
                     O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        struct stat st {};
        if (fd_ >= 0 && (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))) {
            ::close(fd_);
            fd_ = -1;
        }
        size_ = fd_ >= 0 ? st.st_size : 0;
    }
    ~ImageFile() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    ImageFile(const ImageFile&) = delete;
    ImageFile& operator=(const ImageFile&) = delete;

    qint64 size() const { return size_; }

    // Exactly `count` bytes at `offset`, or an empty array.
    QByteArray Read(qint64 offset, qsizetype count) const {
        if (fd_ < 0 || offset < 0 || count <= 0 || offset > size_ || count > size_ - offset)
            return {};
        QByteArray bytes(count, Qt::Uninitialized);
        qsizetype used = 0;
        while (used < count) {
            const ssize_t got =
                ::pread(fd_, bytes.data() + used, size_t(count - used), offset + used);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return {};
            used += got;
        }
        return bytes;
    }

private:
    int fd_ = -1;
    qint64 size_ = 0;
};

uint64_t BigEndian(const QByteArray& bytes, qsizetype at, int count) {
    uint64_t value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | uint8_t(bytes[at + i]);
    return value;
}

uint32_t LittleEndian32(QByteArrayView bytes, qsizetype at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | uint8_t(bytes[at + i]);
    return value;
}

struct EmbeddedTags {
    uint32_t sampleRate = 0;
    QByteArray cueBlock;  // a FLAC's CUESHEET block's body
    QByteArray cueText;   // the CUESHEET Vorbis comment's or APE item's value
    QString album, artist, albumArtist, date, genre;

    // Keeps the first value of each field that matters here, by its Vorbis or APE name.
    void Take(QByteArrayView key, QByteArrayView value) {
        auto keyIs = [&](const char* name) { return key.compare(name, Qt::CaseInsensitive) == 0; };
        auto set = [&](QString& field) {
            if (field.isEmpty())
                field = Capped(QString::fromUtf8(value));
        };
        if (keyIs("CUESHEET")) {
            if (cueText.isEmpty())
                cueText = value.toByteArray();
        } else if (keyIs("ALBUM")) {
            set(album);
        } else if (keyIs("ARTIST")) {
            set(artist);
        } else if (keyIs("ALBUMARTIST") || keyIs("ALBUM ARTIST")) {
            set(albumArtist);
        } else if (keyIs("DATE") || keyIs("YEAR")) {
            set(date);
        } else if (keyIs("GENRE")) {
            set(genre);
        }
    }
};

void ReadComments(QByteArrayView block, EmbeddedTags& meta) {
    if (block.size() < 8)
        return;
    const uint32_t vendor = LittleEndian32(block, 0);
    if (vendor > uint32_t(block.size() - 8))
        return;
    qsizetype at = 4 + qsizetype(vendor);
    const uint32_t count = LittleEndian32(block, at);
    at += 4;
    for (uint32_t i = 0; i < count && block.size() - at >= 4; ++i) {
        const uint32_t length = LittleEndian32(block, at);
        at += 4;
        if (length > uint32_t(block.size() - at))
            return;
        const QByteArrayView entry = block.sliced(at, length);
        at += length;
        const qsizetype equals = entry.indexOf('=');
        if (equals <= 0)
            continue;
        meta.Take(entry.first(equals), entry.sliced(equals + 1));
    }
}

// The metadata blocks this reader needs, read one by one; pictures and padding are skipped.
std::optional<EmbeddedTags> ReadFlacTags(const ImageFile& file) {
    constexpr int kMaxBlocks = 1024;
    constexpr qsizetype kMaxCommentBytes = qsizetype(8) << 20;
    qint64 at = 0;
    // An ID3v2 tag some taggers put before the stream.
    const QByteArray head = file.Read(0, 10);
    if (head.startsWith("ID3")) {
        uint32_t size = 0;
        for (int i = 6; i < 10; ++i) {
            if (uint8_t(head[i]) & 0x80)
                return std::nullopt;
            size = size << 7 | uint8_t(head[i]);
        }
        at = 10 + qint64(size) + ((uint8_t(head[5]) & 0x10) ? 10 : 0);
    }
    if (file.Read(at, 4) != "fLaC")
        return std::nullopt;
    at += 4;
    EmbeddedTags meta;
    for (int i = 0; i < kMaxBlocks; ++i) {
        const QByteArray header = file.Read(at, 4);
        if (header.isEmpty())
            break;
        const bool last = uint8_t(header[0]) & 0x80;
        const int type = uint8_t(header[0]) & 0x7F;
        const qsizetype length = qsizetype(BigEndian(header, 1, 3));
        at += 4;
        if (type == 0 && length >= 34) {
            const QByteArray info = file.Read(at, 34);
            if (!info.isEmpty())
                meta.sampleRate = uint32_t(BigEndian(info, 10, 3) >> 4);
        } else if (type == 4 && length <= kMaxCommentBytes) {
            ReadComments(file.Read(at, length), meta);
        } else if (type == 5 && meta.cueBlock.isEmpty()) {
            meta.cueBlock = file.Read(at, length);
        }
        at += length;
        if (last)
            break;
    }
    return meta;
}

// An APEv2 tag at the end of the file (before an ID3v1 tag), as WavPack, Monkey's Audio and TTA
// images carry it: a 32-byte footer "APETAGEX" giving the size and item count, items of value
// size, flags, a NUL-ended key and the value; text items only.
std::optional<EmbeddedTags> ReadApeTag(const ImageFile& file) {
    constexpr qint64 kMaxTagBytes = qint64(8) << 20;
    qint64 end = file.size();
    if (file.Read(end - 128, 3) == "TAG")
        end -= 128;
    const QByteArray footer = file.Read(end - 32, 32);
    if (!footer.startsWith("APETAGEX"))
        return std::nullopt;
    const qint64 size = LittleEndian32(footer, 12);
    const uint32_t count = LittleEndian32(footer, 16);
    if (size < 32 || size > kMaxTagBytes || size > end)
        return std::nullopt;
    const QByteArray items = file.Read(end - size, qsizetype(size - 32));
    EmbeddedTags tags;
    qsizetype at = 0;
    for (uint32_t i = 0; i < count && items.size() - at >= 8; ++i) {
        const uint32_t length = LittleEndian32(items, at);
        const uint32_t flags = LittleEndian32(items, at + 4);
        const qsizetype keyEnd = items.indexOf('\0', at + 8);
        if (keyEnd < 0 || length > uint32_t(items.size() - keyEnd - 1))
            break;
        const QByteArrayView key = QByteArrayView(items).sliced(at + 8, keyEnd - at - 8);
        at = keyEnd + 1 + qsizetype(length);
        if ((flags >> 1 & 3) == 0)  // UTF-8 text
            tags.Take(key, QByteArrayView(items).sliced(keyEnd + 1, length));
    }
    return tags;
}

// Samples at `rate` as flicks, exactly for every rate that divides a second of flicks.
std::optional<Time> SamplesToTime(uint64_t samples, uint32_t rate) {
    constexpr int64_t kPerSecond = Time::period::den;
    const uint64_t seconds = samples / rate;
    if (seconds > 1'000'000'000)  // 30 years: not a disc
        return std::nullopt;
    return Time(int64_t(seconds) * kPerSecond +
                int64_t(samples % rate) * kPerSecond / int64_t(rate));
}

// The binary CUESHEET block: 396 bytes of catalog number, lead-in and flags, the track
// count, then per track 36 bytes (offset, number, ISRC, flags, index count) and 12 per index
// point (offset from the track's, number). Track 170 (255 on other media) is the lead-out.
std::optional<CueSheet::File> FileFromCueBlock(const QByteArray& block, uint32_t rate) {
    constexpr qsizetype kHeader = 396, kTrack = 36, kIndex = 12;
    if (rate == 0 || block.size() < kHeader)
        return std::nullopt;
    const int trackCount = uint8_t(block[kHeader - 1]);
    CueSheet::File file;
    std::bitset<CueSheet::kMaxTracks + 1> seen;
    qsizetype at = kHeader;
    for (int t = 0; t < trackCount && block.size() - at >= kTrack; ++t) {
        const uint64_t offset = BigEndian(block, at, 8);
        const int number = uint8_t(block[at + 8]);
        const int indexCount = uint8_t(block[at + kTrack - 1]);
        at += kTrack;
        CueSheet::Track track;
        track.number = number;
        for (int i = 0; i < indexCount && block.size() - at >= kIndex; ++i, at += kIndex) {
            const uint64_t relative = BigEndian(block, at, 8);
            const int point = uint8_t(block[at + 8]);
            if (relative > UINT64_MAX - offset || point > 1)
                continue;
            auto& index = point == 0 ? track.index00 : track.index01;
            if (!index)
                index = SamplesToTime(offset + relative, rate);
        }
        if (number < 1 || number > CueSheet::kMaxTracks || seen.test(size_t(number)))
            continue;
        seen.set(size_t(number));
        file.tracks.append(std::move(track));
    }
    if (file.tracks.isEmpty())
        return std::nullopt;
    return file;
}

}  // namespace

std::optional<CueSheet> CueSheet::ReadEmbedded(const QString& imagePath) {
    const ImageFile image(imagePath);
    std::optional<EmbeddedTags> meta = ReadFlacTags(image);
    if (!meta)
        meta = ReadApeTag(image);
    if (!meta)
        return std::nullopt;
    CueSheet sheet;
    if (!meta->cueText.isEmpty() && meta->cueText.size() <= kMaxBytes)
        sheet = ParseText(QString::fromUtf8(meta->cueText), true);
    if (sheet.files.isEmpty() || sheet.files.front().tracks.isEmpty()) {
        sheet = CueSheet();
        if (auto file = FileFromCueBlock(meta->cueBlock, meta->sampleRate))
            sheet.files.append(std::move(*file));
        else
            return std::nullopt;
    }
    sheet.files.front().name = modZAUtil::GetFileName(imagePath);
    if (sheet.title.isEmpty())
        sheet.title = meta->album;
    if (sheet.performer.isEmpty())
        sheet.performer = !meta->albumArtist.isEmpty() ? meta->albumArtist : meta->artist;
    if (sheet.date.isEmpty())
        sheet.date = meta->date;
    if (sheet.genre.isEmpty())
        sheet.genre = meta->genre;
    return sheet;
}

// ---- Track references ----

QString CueSheet::EncodeTrackReference(const TrackReference& reference) {
    return reference.path + u'?' + QString::number(reference.number);
}

std::optional<CueSheet::TrackReference> CueSheet::DecodeTrackReference(QStringView entry,
                                                                       const FileExists& isFile) {
    auto fromUri = [](QStringView path) {
        return modZAUtil::DecodePath(QByteArray::fromPercentEncoding(path.toUtf8()));
    };
    const bool cueUri = entry.startsWith(u"cue://", Qt::CaseInsensitive);
    const bool uri = cueUri || entry.startsWith(u"file://", Qt::CaseInsensitive);
    // cmus writes cue:///music/disc.cue/3, qmmp cue:///music/disc.cue#3 with %, #, ? and :
    // escaped.
    const qsizetype hash = cueUri ? entry.lastIndexOf(u'#') : -1;
    const qsizetype mark = !cueUri     ? entry.lastIndexOf(u'?')
                           : hash >= 0 ? hash
                                       : entry.lastIndexOf(u'/');
    if (mark < 0 || (uri && mark < 7))
        return std::nullopt;
    const QStringView before = entry.first(mark);
    const QString path = cueUri && hash < 0 ? before.sliced(6).toString()
                         : cueUri           ? fromUri(before.sliced(6))
                         : uri              ? fromUri(before.sliced(7))
                                            : before.toString();
    if (path.isEmpty() || (uri && !path.startsWith(u'/')))
        return std::nullopt;
    const auto number = Digits(entry.sliced(mark + 1), 2);
    if (!number || *number < 1)
        return std::nullopt;
    const QString name = modZAUtil::GetFileName(path);
    if (std::none_of(std::begin(kReferenceExtensions), std::end(kReferenceExtensions),
                     [&](const char16_t* ext) { return HasExtension(name, ext); }))
        return std::nullopt;
    if (!uri && isFile && isFile(entry.toString()))
        return std::nullopt;
    return TrackReference{path, *number};
}
