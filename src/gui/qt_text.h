#pragma once
// Texts between the logic (UTF-8 std::string) and Qt (QString).
#include <QString>
#include <string>
#include <string_view>

namespace gui {

inline QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string S(const QString& text) {
    return text.toStdString();
}

// Pixels of a length in twips (15 twips a pixel on a 96-dpi screen).
inline int Px(int twips) {
    return twips / 15;
}

}  // namespace gui
