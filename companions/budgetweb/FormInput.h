#pragma once
#include <cstddef>
#include <map>
#include <string>
#include <string_view>

// The fields of a posted form (application/x-www-form-urlencoded), read from the request body
// only: a value in the query string never stands in for a posted field, the form token least of all.
class FormInput {
public:
    static FormInput parse(std::string_view body);

    // The field's value, or empty text when the form did not send it.
    std::string value(const std::string &name) const;
    bool has(const std::string &name) const { return m_fields.count(name) != 0; }

    // A one-line text field checked the same way everywhere: blanks around are dropped, then
    // it must be valid UTF-8 without control characters, not empty unless allowEmpty, and at
    // most maxChars characters. Returns the message to show beside the field, or empty text.
    static std::string checkLine(std::string &text, std::size_t maxChars, bool allowEmpty);

    // An optional e-mail address: checkLine's rules, then something@something without blanks.
    static std::string checkEmail(std::string &text);

    static std::string percentDecode(std::string_view text);

private:
    std::map<std::string, std::string> m_fields;
};

// Characters (code points) in valid UTF-8 text; npos when the text is not valid UTF-8.
std::size_t utf8Length(std::string_view text);
