#include "CommonUtil.h"

#include "Debug.h"

#include <QDesktopServices>
#include <QDir>
#include <QStandardPaths>
#include <QStringList>

#include <limits>

namespace {

// An optional sign followed by one or more ASCII digits and nothing else,
// within the signed 64-bit range.
std::optional<std::int64_t> parseInteger(const QString& text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i >= text.size())
        return std::nullopt;
    // Accumulate as a negative number so that the smallest value fits.
    constexpr std::int64_t min = std::numeric_limits<std::int64_t>::min();
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const int digit = c - u'0';
        if (value < (min + digit) / 10)
            return std::nullopt;
        value = value * 10 - digit;
    }
    if (negative)
        return value;
    if (value == min)
        return std::nullopt;
    return -value;
}

CommonUtil::ComparisonResult compareNumbers(std::int64_t a, std::int64_t b)
{
    if (a < b)
        return CommonUtil::ComparisonResult::Ascending;
    if (a > b)
        return CommonUtil::ComparisonResult::Descending;
    return CommonUtil::ComparisonResult::Same;
}

} // namespace

CommonUtil::ComparisonResult CommonUtil::versionStringCompare(const QString& a, const QString& b)
{
    const QStringList piecesA = a.split(QLatin1Char('a'), Qt::KeepEmptyParts);
    const QStringList piecesB = b.split(QLatin1Char('a'), Qt::KeepEmptyParts);
    const QStringList componentsA = piecesA.first().split(QLatin1Char('.'), Qt::KeepEmptyParts);
    const QStringList componentsB = piecesB.first().split(QLatin1Char('.'), Qt::KeepEmptyParts);

    const qsizetype common = std::min(componentsA.size(), componentsB.size());
    for (qsizetype i = 0; i < common; ++i) {
        const auto numberA = parseInteger(componentsA[i]);
        const auto numberB = parseInteger(componentsB[i]);
        if (!numberA || !numberB)
            continue;
        const ComparisonResult result = compareNumbers(*numberA, *numberB);
        if (result != ComparisonResult::Same)
            return result;
    }
    if (componentsA.size() != componentsB.size())
        return componentsA.size() < componentsB.size() ? ComparisonResult::Ascending : ComparisonResult::Descending;
    // A pre-release ("a") part makes a version older than the plain one.
    if (piecesA.size() != piecesB.size())
        return piecesA.size() > piecesB.size() ? ComparisonResult::Ascending : ComparisonResult::Descending;
    if (piecesA.size() == 1)
        return ComparisonResult::Same;
    const auto secondA = parseInteger(piecesA[1]);
    const auto secondB = parseInteger(piecesB[1]);
    if (!secondA || !secondB)
        return ComparisonResult::Same;
    return compareNumbers(*secondA, *secondB);
}

CommonUtil::ComparisonResult CommonUtil::versionStringCompareWith(const QString& a, const QString& other)
{
    return versionStringCompare(a, other);
}

QString CommonUtil::composeAppURLString(const QString& appId)
{
    return QStringLiteral("https://%1/app/id%2?mt=12").arg(QLatin1String(kAppStoreWebHost), appId);
}

std::optional<QString> CommonUtil::changeURLForMacAppStore(const QString& urlString)
{
    const QStringList parts = urlString.split(QStringLiteral("://"));
    if (parts.isEmpty())
        return std::nullopt;
    return QStringLiteral("macappstore://%1").arg(parts.last());
}

bool CommonUtil::openMacAppStore(const QString& appId)
{
    const QString webLink = composeAppURLString(appId);
    const auto storeLink = changeURLForMacAppStore(webLink);
    if (!storeLink) {
        Debug::output(Debug::Level::ERR,
                      QStringLiteral("Failed to change url string into MacAppStore for url string:") + webLink,
                      __FILE__, QStringLiteral("openMacAppStore(appId:)"), __LINE__);
        return false;
    }
    const QUrl url(*storeLink, QUrl::StrictMode);
    if (!url.isValid()) {
        Debug::output(Debug::Level::ERR, QStringLiteral("Failed to create URL for url string:") + webLink,
                      __FILE__, QStringLiteral("openMacAppStore(appId:)"), __LINE__);
        return false;
    }
    return QDesktopServices::openUrl(url);
}

std::int64_t CommonUtil::rowFrom(std::int64_t index, std::int64_t columns)
{
    if (columns == 0)
        return 0;
    if (columns == -1) // the one quotient that can leave the range; it wraps
        return static_cast<std::int64_t>(0 - static_cast<std::uint64_t>(index));
    return index / columns;
}

std::int64_t CommonUtil::columnFrom(std::int64_t index, std::int64_t columns)
{
    if (columns == 0 || columns == -1)
        return 0;
    return index % columns;
}

std::int64_t CommonUtil::indexFrom(std::int64_t row, std::int64_t col, std::int64_t columns)
{
    // Results outside the 64-bit range wrap instead of being undefined.
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(row) * static_cast<std::uint64_t>(columns)
                                     + static_cast<std::uint64_t>(col));
}

std::optional<QUrl> CommonUtil::userDataDocumentsDirectoryURL()
{
    QString path = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (path.isEmpty())
        return std::nullopt;
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return QUrl::fromLocalFile(path);
}

QUrl CommonUtil::userHomeDirectoryURL()
{
    QString path = QDir::homePath();
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return QUrl::fromLocalFile(path);
}
