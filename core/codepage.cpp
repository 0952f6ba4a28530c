#include "core/codepage.h"

#include <QStringDecoder>
#include <array>
#include <cstdint>

#include "core/polish_letters.h"

namespace rubso {
namespace {

// Unicode code points of bytes 0x80..0xFF in Windows-1250 (0 = unassigned;
// such bytes decode to the code point equal to the byte, as Windows does).
constexpr std::array<char16_t, 128> kHigh = {
    0x20AC, 0x0000, 0x201A, 0x0000, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x0000, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 88
    0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0000, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // F8
};

char16_t Decode(unsigned char byte) {
    if (byte < 0x80) return byte;
    const char16_t cp = kHigh[byte - 0x80];
    return cp != 0 ? cp : byte;
}

char Encode(char32_t cp) {
    if (cp < 0x80) return static_cast<char>(cp);
    for (std::size_t i = 0; i < kHigh.size(); ++i) {
        if (kHigh[i] == cp) return static_cast<char>(0x80 + i);
    }
    // The unassigned bytes decode to their own code points; they encode back
    // to themselves so that no byte is lost on the way to the screen and back.
    if (cp < 0x100 && kHigh[cp - 0x80] == 0) return static_cast<char>(cp);
    return '?';
}

struct CaseTables {
    std::array<unsigned char, 256> upper{};
    std::array<unsigned char, 256> lower{};
};

// Built from the decoded characters, so the tables follow the code page
// exactly: a byte has a case partner when its character's QChar partner
// is also in Windows-1250.
const CaseTables& Tables() {
    static const CaseTables tables = [] {
        CaseTables t;
        for (int b = 0; b < 256; ++b) {
            t.upper[b] = static_cast<unsigned char>(b);
            t.lower[b] = static_cast<unsigned char>(b);
        }
        for (int b = 0; b < 256; ++b) {
            const QChar ch(Decode(static_cast<unsigned char>(b)));
            const QChar up = ch.toUpper();
            const QChar low = ch.toLower();
            if (up != ch) {
                const char e = Encode(up.unicode());
                if (e != '?') t.upper[b] = static_cast<unsigned char>(e);
            }
            if (low != ch) {
                const char e = Encode(low.unicode());
                if (e != '?') t.lower[b] = static_cast<unsigned char>(e);
            }
        }
        return t;
    }();
    return tables;
}

}  // namespace

std::string Cp1250(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        char32_t cp = 0;
        int extra = 0;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            extra = 1;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            extra = 2;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07;
            extra = 3;
        } else {
            out.push_back('?');
            ++i;
            continue;
        }
        if (i + extra >= utf8.size()) {  // truncated sequence at the end
            out.push_back('?');
            break;
        }
        for (int k = 1; k <= extra; ++k) {
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        out.push_back(Encode(cp));
        i += 1 + extra;
    }
    return out;
}

std::string Cp1250ToUtf8(std::string_view cp1250) {
    return FromCp1250(cp1250).toStdString();
}

QString FromCp1250(std::string_view cp1250) {
    QString out;
    out.reserve(static_cast<qsizetype>(cp1250.size()));
    for (const char c : cp1250) out.append(QChar(Decode(static_cast<unsigned char>(c))));
    return out;
}

std::string ToCp1250(const QString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar ch : text) out.push_back(Encode(ch.unicode()));
    return out;
}

char UpperChar(char c) {
    return static_cast<char>(Tables().upper[static_cast<unsigned char>(c)]);
}

char LowerChar(char c) {
    return static_cast<char>(Tables().lower[static_cast<unsigned char>(c)]);
}

std::string UpperCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = UpperChar(c);
    return out;
}

std::string LowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = LowerChar(c);
    return out;
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (UpperChar(a[i]) != UpperChar(b[i])) return false;
    }
    return true;
}

QString FromCp852(std::string_view cp852) {
    QStringDecoder decoder("IBM852");
    if (decoder.isValid()) {
        return decoder.decode(QByteArrayView(cp852.data(), static_cast<qsizetype>(cp852.size())));
    }
    // Without the platform's table only the Polish letters are told apart.
    return FromCp1250(ConvertPolishLetters(cp852, kRowLatin2, kRowWindows1250));
}

}  // namespace rubso
