// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_names.h"

namespace {

constexpr char16_t kFirstByteStand = 0xDC80;  // stands for the byte 0x80
constexpr char16_t kLastByteStand = 0xDCFF;   // and this for 0xFF

bool isByteStand(char16_t c) { return c >= kFirstByteStand && c <= kLastByteStand; }

bool continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The length of the well-formed UTF-8 sequence at bytes[at] (Unicode's
// table 3-7: no overlong forms, no surrogates, nothing above U+10FFFF);
// 0 when there is none.
int sequenceLength(const QByteArray &bytes, qsizetype at)
{
    const auto byte = [&](qsizetype i) { return i < bytes.size() ? (unsigned char)bytes[i] : 0; };
    const unsigned char lead = byte(at);
    if (lead < 0x80)
        return 1;
    unsigned char low = 0x80, high = 0xBF;  // the bounds of the second byte
    int length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    const unsigned char second = byte(at + 1);
    if (second < low || second > high)
        return 0;
    for (int i = 2; i < length; ++i)
        if (!continuation(byte(at + i)))
            return 0;
    return length;
}

}  // namespace

QString fileNameFromBytes(const QByteArray &bytes)
{
    QString name;
    name.reserve(bytes.size());
    qsizetype runStart = 0;  // the start of the UTF-8 not yet decoded
    qsizetype at = 0;
    while (at < bytes.size()) {
        const int length = sequenceLength(bytes, at);
        if (length > 0) {
            at += length;
            continue;
        }
        name += QString::fromUtf8(bytes.constData() + runStart, at - runStart);
        name += QChar(char16_t(0xDC00 + (unsigned char)bytes[at]));
        runStart = ++at;
    }
    name += QString::fromUtf8(bytes.constData() + runStart, at - runStart);
    return name;
}

QByteArray fileNameBytes(const QString &name)
{
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        // A low surrogate right after a high one is half of a character.
        const bool paired = i > 0 && name[i - 1].isHighSurrogate();
        if (isByteStand(c) && !paired) {
            bytes += name.mid(runStart, i - runStart).toUtf8();
            bytes += char(c - 0xDC00);
            runStart = i + 1;
        }
    }
    bytes += name.mid(runStart).toUtf8();
    return bytes;
}

bool hasUndecodedBytes(const QString &name)
{
    for (qsizetype i = 0; i < name.size(); ++i)
        if (isByteStand(name[i].unicode()) && !(i > 0 && name[i - 1].isHighSurrogate()))
            return true;
    return false;
}

namespace {

QString escaped(uint value) { return QStringLiteral("\\x%1").arg(value, 2, 16, QLatin1Char('0')); }

// Calls visit(text, codePoint, isByte) for each character of text; isByte
// when it stands for an undecoded byte (codePoint is then the byte).
template <typename Visit>
void eachCharacter(const QString &text, Visit visit)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            visit(text.mid(i, 2), QChar::surrogateToUcs4(c, text[i + 1]), false);
            ++i;
        } else if (isByteStand(c.unicode())) {
            visit(QString(c), uint(c.unicode() - 0xDC00), true);
        } else {
            visit(QString(c), uint(c.unicode()), false);
        }
    }
}

}  // namespace

QString withBytesEscaped(const QString &text)
{
    QString out;
    eachCharacter(text, [&](const QString &character, uint code, bool byte) {
        out += byte ? escaped(code) : character;
    });
    return out;
}

QString printableLine(const QString &text)
{
    QString out;
    eachCharacter(text, [&](const QString &character, uint code, bool byte) {
        out += !byte && QChar::isPrint(char32_t(code)) ? character : escaped(code);
    });
    return out;
}
