#pragma once

// The sign's side of the in-text codes, written independently of the encoders: what the sign
// stores for a message it is sent, read from left to right.

#include <QString>

namespace fuzz {

inline constexpr char16_t StoredBreak = 170;
inline constexpr char16_t StoredFirstToken = 171;

// "$L" becomes byte 170, "$T0" .. "$T7" bytes 171 .. 178; everything else is kept.
inline QString signStoredForm(const QString &wire)
{
    QString out;
    for (qsizetype i = 0; i < wire.size(); ++i) {
        if (wire[i] == u'$' && i + 1 < wire.size()) {
            if (wire[i + 1] == u'L') {
                out += QChar(StoredBreak);
                ++i;
                continue;
            }
            if (wire[i + 1] == u'T' && i + 2 < wire.size() && wire[i + 2] >= u'0' && wire[i + 2] <= u'7') {
                out += QChar(char16_t(StoredFirstToken + (wire[i + 2].unicode() - u'0')));
                i += 2;
                continue;
            }
        }
        out += wire[i];
    }
    return out;
}

// Whether `text` holds anything the sign would take for a code: a "$L" or "$T", or one of
// the stored-form bytes 170 .. 178 (which the sign reads back as a break or a time field).
inline bool holdsCodes(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u >= StoredBreak && u <= StoredFirstToken + 7)
            return true;
        if (u == u'$' && i + 1 < text.size() && (text[i + 1] == u'L' || text[i + 1] == u'T'))
            return true;
    }
    return false;
}

} // namespace fuzz
