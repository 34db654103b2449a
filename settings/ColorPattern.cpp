#include "ColorPattern.h"

#include "core/FileAccess.h"
#include "core/modZAUtil.h"

#include <QStringList>
#include <unistd.h>

namespace {
// A pattern is one short line; anything much larger is not a pattern file.
constexpr qint64 kMaxPatternBytes = 64 * 1024;
}  // namespace

ColorPattern::ColorPattern(const QString& applicationFolder)
    : applicationFolder_(applicationFolder) {}

QString ColorPattern::Folder() const {
    return modZAUtil::JoinPath(applicationFolder_, QStringLiteral("color"));
}

QByteArray ColorPattern::Line(const Colors& colors) {
    QByteArray line = QByteArray::number(colors[0]);
    for (int i = 1; i < kColorCount; ++i)
        line += ',' + QByteArray::number(colors[i]);
    return line + "\r\n";
}

bool ColorPattern::WriteColorPattern(const QString& path, const Colors& colors) {
    return modZAUtil::WriteFileAtomically(path, Line(colors));
}

bool ColorPattern::ReadColorPattern(const QString& path, Colors& colors) {
    QByteArray bytes;
    if (modZAUtil::ReadFileBytes(path, bytes, kMaxPatternBytes) != modZAUtil::ReadStatus::Ok)
        return false;
    const QString text = modZAUtil::DecodeText(bytes);
    qsizetype end = 0;
    while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
        ++end;
    const QStringList fields = text.left(end).split(u',');
    if (fields.size() < kColorCount)
        return false;
    Colors read{};
    for (int i = 0; i < kColorCount; ++i) {
        bool ok = false;
        read[i] = fields[i].trimmed().toInt(&ok);
        if (!ok)
            return false;
    }
    colors = read;
    return true;
}

void ColorPattern::LoadColorPatternNames() {
    ColorPatternFiles.Clear();
    clsArrayList found;
    modZAUtil::ScanFolder(found, Folder(), {QStringLiteral(".col")}, false);
    for (const QString& path : found.items())
        if (path.endsWith(QStringLiteral(".col")))  // ".COL" and ".Col" are not patterns
            ColorPatternFiles.Add(path);
}

QString ColorPattern::NameOf(const QString& path) {
    return modZAUtil::ListRowText(path);
}

bool ColorPattern::IsValidName(const QString& name) {
    if (name.isEmpty() || name == QStringLiteral(".") || name == QStringLiteral(".."))
        return false;
    return !name.contains(u'/') && !name.contains(QChar(u'\0'));
}

QString ColorPattern::PathForName(const QString& name) const {
    return IsValidName(name) ? Folder() + u'/' + name + QStringLiteral(".col") : QString();
}

bool ColorPattern::DeleteEntry(int32_t row) {
    return modZAUtil::DeleteListedFile(ColorPatternFiles, row);
}

int32_t ColorPattern::SelectionAfterDelete(int32_t row, int32_t countAfter) {
    return modZAUtil::SelectionAfterDelete(row, countAfter);
}
