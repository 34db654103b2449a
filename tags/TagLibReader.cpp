#include "TagLibReader.h"

#include "TagText.h"
#include "core/FileAccess.h"

#include <algorithm>
#include <atomic>
#include <fileref.h>
#include <id3v1tag.h>
#include <id3v2tag.h>
#include <infotag.h>
#include <mutex>
#include <tag.h>
#include <tpropertymap.h>
#include <wavfile.h>

namespace {

TagLib::String FromQString(const QString& text) {
    return TagLib::String(text.toStdString(), TagLib::String::UTF8);
}

QString ToQString(const TagLib::String& text) {
    return QString::fromStdString(text.to8Bit(true));
}

QString DecodeBytes(const TagLib::ByteVector& data) {
    // The first value ends at the first zero byte, as in the player's own ID3 reader.
    const QByteArray bytes(data.data(), int(data.size()));
    const qsizetype nul = bytes.indexOf('\0');
    return TagText::DecodeUnmarked(nul < 0 ? bytes : bytes.first(nul));
}

struct Id3v1Text : TagLib::ID3v1::StringHandler {
    TagLib::String parse(const TagLib::ByteVector& data) const override {
        return FromQString(DecodeBytes(data).trimmed());
    }
};
struct Id3v2Text : TagLib::ID3v2::Latin1StringHandler {
    TagLib::String parse(const TagLib::ByteVector& data) const override {
        return FromQString(DecodeBytes(data));
    }
};
struct RiffInfoText : TagLib::RIFF::Info::StringHandler {
    TagLib::String parse(const TagLib::ByteVector& data) const override {
        return FromQString(DecodeBytes(data));
    }
};

// TagLib keeps these handlers for the whole process; they hold no state.
void InstallTextHandlers() {
    static std::once_flag once;
    std::call_once(once, [] {
        static const Id3v1Text id3v1;
        static const Id3v2Text id3v2;
        static const RiffInfoText info;
        TagLib::ID3v1::Tag::setStringHandler(&id3v1);
        TagLib::ID3v2::Tag::setLatin1StringHandler(&id3v2);
        TagLib::RIFF::Info::Tag::setStringHandler(&info);
    });
}

// A file read as bytes only, for a tag that TagLib parses where no file type of its own looks.
class PlainFile : public TagLib::File {
public:
    explicit PlainFile(TagLib::FileName name) : TagLib::File(name) {}
    TagLib::Tag* tag() const override { return nullptr; }
    TagLib::AudioProperties* audioProperties() const override { return nullptr; }
    bool save() override { return false; }
};

void Fill(const TagLib::Tag& tag, const TagLib::PropertyMap& properties,
          TagLibReader::Fields& fields) {
    fields.title = ToQString(tag.title());
    fields.artist = ToQString(tag.artist());
    fields.album = ToQString(tag.album());
    fields.track = tag.track() ? QString::number(tag.track()) : QString();
    fields.year = tag.year() ? QString::number(tag.year()) : QString();
    const auto first = [&properties](const char* key) {
        const auto found = properties.find(key);
        return found == properties.end() || found->second.isEmpty()
                   ? QString()
                   : ToQString(found->second.front());
    };
    fields.titleReading = first("TITLESORT");
    fields.artistReading = first("ARTISTSORT");
    fields.albumReading = first("ALBUMSORT");
    fields.albumArtist = first("ALBUMARTIST");
    fields.albumArtistReading = first("ALBUMARTISTSORT");
}

// A DSDIFF file's tag is an "ID3 " chunk, which writers put after the audio, where FFmpeg does
// not look.
bool ReadDsdiffId3(const QByteArray& nativePath, TagLibReader::Fields& fields) {
    if (!nativePath.toLower().endsWith(".dff"))
        return false;
    PlainFile file(nativePath.constData());
    if (!file.isOpen())
        return false;
    const TagLib::ByteVector head = file.readBlock(16);
    if (head.size() < 16 || !head.startsWith("FRM8") || head.mid(12, 4) != "DSD ")
        return false;
    const long long end = std::min<long long>(file.length(), 12 + head.toLongLong(4U, true));
    long long pos = 16;
    while (pos + 12 <= end) {
        file.seek(pos);
        const TagLib::ByteVector chunk = file.readBlock(12);
        const long long size = chunk.size() == 12 ? chunk.toLongLong(4U, true) : -1;
        if (size < 0 || size > end - pos - 12)
            return false;
        if (chunk.startsWith("ID3 ")) {
            const TagLib::ID3v2::Tag tag(&file, pos + 12);
            if (tag.isEmpty())
                return false;
            Fill(tag, tag.properties(), fields);
            return true;
        }
        pos += 12 + size + (size & 1);
    }
    return false;
}

std::atomic<TagLibReader::ContainerReader> containerReader{nullptr};

bool ReadByContainer(const QByteArray& nativePath, TagLibReader::Fields& fields) {
    const TagLibReader::ContainerReader reader = containerReader.load();
    if (!reader)
        return false;
    const QString path = modZAUtil::DecodePath(nativePath);
    static const char* const endings[] = {".mka", ".webm", ".dsf", ".dff", ".tak",
                                          ".ac3", ".mp2",  ".mpa", ".tta"};
    if (std::none_of(std::begin(endings), std::end(endings), [&path](const char* ending) {
            return path.endsWith(QLatin1StringView(ending), Qt::CaseInsensitive);
        }))
        return false;
    const QStringList found = reader(path);
    if (found.size() < 6 || std::all_of(found.begin(), found.end(),
                                        [](const QString& v) { return v.trimmed().isEmpty(); }))
        return false;
    fields = {};
    fields.title = found[0];
    fields.artist = found[1];
    fields.album = found[2];
    fields.track = found[3];
    fields.year = found[4].left(4);  // a date as 2024-05-01
    fields.albumArtist = found[5];
    return true;
}

}  // namespace

void TagLibReader::SetContainerReader(ContainerReader reader) {
    containerReader.store(reader);
}

bool TagLibReader::Read(const QByteArray& nativePath, Fields& fields) {
    InstallTextHandlers();
    // No audio properties: only the tag is wanted, and reading them may scan the whole file.
    const TagLib::FileRef file(nativePath.constData(), false);
    const TagLib::Tag* tag = file.isNull() ? nullptr : file.tag();
    // A WAV file's tag is its ID3 chunk; its RIFF INFO list is a tag of its own.
    if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(file.file());
        wav && (!tag || tag->isEmpty()))
        tag = wav->InfoTag();
    if (!tag || tag->isEmpty())
        return ReadDsdiffId3(nativePath, fields) || ReadByContainer(nativePath, fields);
    // TagLib names the readings of every format alike; a WAV's INFO list has none.
    Fill(*tag, tag == file.tag() ? file.file()->properties() : TagLib::PropertyMap(), fields);
    return true;
}
