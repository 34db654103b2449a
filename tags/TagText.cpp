#include "TagText.h"

#include "core/modZAUtil.h"

#include <QStringDecoder>
#include <atomic>

namespace {

std::atomic<UnmarkedText> unmarkedText{UnmarkedText::Auto};

QString Decode(const char* codec, QByteArrayView bytes) {
    QStringDecoder decoder(codec);
    return decoder.isValid() ? decoder(bytes) : QString::fromLatin1(bytes);
}

QString ShiftJis(QByteArrayView bytes) {
    // CP932 first: its extensions (①, ～ as Windows writes them) are what old tags hold.
    QStringDecoder cp932("windows-31j");
    return cp932.isValid() ? cp932(bytes) : Decode("Shift_JIS", bytes);
}

bool HasMarkOrIsUtf8(QByteArrayView bytes) {
    return bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF") || bytes.isValidUtf8();
}

}  // namespace

void TagText::SetUnmarkedText(UnmarkedText choice) {
    unmarkedText.store(choice, std::memory_order_relaxed);
}

UnmarkedText TagText::UnmarkedTextInUse() {
    return unmarkedText.load(std::memory_order_relaxed);
}

QString TagText::DecodeUnmarked(const QByteArray& bytes) {
    const UnmarkedText choice = UnmarkedTextInUse();
    if (choice == UnmarkedText::Auto || HasMarkOrIsUtf8(bytes))
        return modZAUtil::DecodeText(bytes);
    return choice == UnmarkedText::Japanese ? ShiftJis(bytes) : Decode("windows-1252", bytes);
}

QString TagText::RepairMisreadShiftJis(QString text) {
    if (UnmarkedTextInUse() == UnmarkedText::Western)
        return text;
    bool wide = false;
    for (const QChar c : text) {
        if (c.unicode() >= 0x100)
            return text;
        wide = wide || c.unicode() >= 0x80;
    }
    if (!wide)
        return text;  // plain ASCII reads the same either way
    const QByteArray bytes = text.toLatin1();
    if (HasMarkOrIsUtf8(bytes))
        return text;  // not the Shift_JIS misreading this repairs
    // DecodeText reads bytes that are not UTF-8 as Shift_JIS exactly when they look Japanese,
    // otherwise as Windows-1252: a result unlike the Western reading is the Japanese one.
    QString decoded = modZAUtil::DecodeText(bytes);
    return decoded != Decode("windows-1252", bytes) ? decoded : text;
}
