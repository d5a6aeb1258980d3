#pragma once

#include <QString>

#include <functional>

// A set of Unicode scalars, given by a membership test.
class CharacterSet {
public:
    explicit CharacterSet(std::function<bool(char32_t)> membership);
    // The scalars of the text.
    static CharacterSet fromCharacters(const QString& characters);
    // Blanks, tabs and line breaks (every space separator, U+0009..U+000D,
    // U+0085, U+2028, U+2029).
    static CharacterSet whitespacesAndNewlines();

    bool containsScalar(char32_t scalar) const;
    // Whether the set holds every scalar of the character (a user-perceived
    // character: a letter with a combining mark is held only when both are).
    bool contains(const QString& character) const;

private:
    std::function<bool(char32_t)> membership;
};
