#include "CharacterSet.h"

#include <QChar>
#include <QList>

#include <memory>
#include <set>

CharacterSet::CharacterSet(std::function<bool(char32_t)> membership)
    : membership(std::move(membership))
{
}

CharacterSet CharacterSet::fromCharacters(const QString& characters)
{
    auto scalars = std::make_shared<std::set<char32_t>>();
    for (const char32_t scalar : characters.toUcs4())
        scalars->insert(scalar);
    return CharacterSet([scalars](char32_t scalar) { return scalars->count(scalar) > 0; });
}

CharacterSet CharacterSet::whitespacesAndNewlines()
{
    return CharacterSet([](char32_t scalar) { return QChar::isSpace(scalar); });
}

bool CharacterSet::containsScalar(char32_t scalar) const
{
    return membership && membership(scalar);
}

bool CharacterSet::contains(const QString& character) const
{
    for (const char32_t scalar : character.toUcs4()) {
        if (!containsScalar(scalar))
            return false;
    }
    return true;
}
