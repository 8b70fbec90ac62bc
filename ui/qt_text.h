// Conversions between TextString and the widgets' QString. The program's texts are single
// bytes; each byte maps to the character of the same code, so texts survive the round trip.
#pragma once

#include "ui/colour.h"
#include "ui/text_string.h"

#include <QColor>
#include <QString>

inline QString to_qstring(const TextString& text) {
    return QString::fromLatin1(text.c_str(), text.length());
}

// At most `limit` characters; characters beyond the byte range become '?'.
inline TextString from_qstring(const QString& text, int limit) {
    return TextString(text.left(limit).toLatin1().toStdString());
}

inline QColor to_qcolor(Colour colour) {
    return QColor(red_of(colour), green_of(colour), blue_of(colour));
}
