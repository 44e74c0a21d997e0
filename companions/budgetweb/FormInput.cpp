#include "FormInput.h"

#include <cstdint>

namespace {
int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace

std::string FormInput::percentDecode(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

FormInput FormInput::parse(std::string_view body)
{
    FormInput form;
    while (!body.empty()) {
        const std::size_t amp = body.find('&');
        const std::string_view pair = body.substr(0, amp);
        body = amp == std::string_view::npos ? std::string_view{} : body.substr(amp + 1);
        if (pair.empty()) continue;
        const std::size_t eq = pair.find('=');
        std::string name = percentDecode(pair.substr(0, eq));
        std::string value = eq == std::string_view::npos ? std::string{} : percentDecode(pair.substr(eq + 1));
        // The first of repeated fields counts, as browsers send each field of a form once.
        form.m_fields.emplace(std::move(name), std::move(value));
    }
    return form;
}

std::string FormInput::value(const std::string &name) const
{
    const auto it = m_fields.find(name);
    return it == m_fields.end() ? std::string{} : it->second;
}

std::size_t utf8Length(std::string_view text)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        std::size_t len = 0;
        std::uint32_t cp = 0;
        if (b < 0x80) { len = 1; cp = b; }
        else if ((b & 0xE0) == 0xC0) { len = 2; cp = b & 0x1F; }
        else if ((b & 0xF0) == 0xE0) { len = 3; cp = b & 0x0F; }
        else if ((b & 0xF8) == 0xF0) { len = 4; cp = b & 0x07; }
        else return std::string_view::npos;
        if (i + len > text.size()) return std::string_view::npos;
        for (std::size_t k = 1; k < len; ++k) {
            const auto c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0) != 0x80) return std::string_view::npos;
            cp = (cp << 6) | (c & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not text.
        static constexpr std::uint32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < minimum[len] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
            return std::string_view::npos;
        i += len;
        ++count;
    }
    return count;
}

std::string FormInput::checkLine(std::string &text, std::size_t maxChars, bool allowEmpty)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        text.clear();
    } else {
        text.erase(0, first);
        text.erase(text.find_last_not_of(" \t") + 1);
    }
    if (text.empty()) return allowEmpty ? std::string{} : "This field is required.";
    const std::size_t length = utf8Length(text);
    if (length == std::string_view::npos) return "This text is not valid UTF-8.";
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F) return "Use one line of plain text.";
    if (length > maxChars) return "Too long: at most " + std::to_string(maxChars) + " characters.";
    return {};
}

std::string FormInput::checkEmail(std::string &text)
{
    if (std::string e = checkLine(text, 100, true); !e.empty()) return e;
    if (text.empty()) return {};
    const auto at = text.find('@');
    if (at == 0 || at == std::string::npos || at + 1 >= text.size() || text.find(' ') != std::string::npos
        || text.find('@', at + 1) != std::string::npos)
        return "Enter an address such as ann@example.org.";
    return {};
}
