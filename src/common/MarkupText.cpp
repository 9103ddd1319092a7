#include "MarkupText.h"

#include <algorithm>

QByteArray WithoutControlCharacters(QByteArray markup)
{
    const auto control = [](char c) {
        return static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r';
    };
    markup.erase(std::remove_if(markup.begin(), markup.end(), control), markup.end());
    return markup;
}
