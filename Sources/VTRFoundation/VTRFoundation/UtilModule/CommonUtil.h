#pragma once

#include <QString>
#include <QUrl>

#include <cstdint>
#include <optional>

// Small stateless operations: version comparison, store links, a clamp,
// index arithmetic for grids and the user's folders.
class CommonUtil {
public:
    CommonUtil() = delete;

    enum class ComparisonResult : int { Ascending = -1, Same = 0, Descending = 1 };

    // Compares two version texts such as "1.2", "1.10" and "1.2a3". Ascending
    // means the first is older. A version with an "a" part comes before the
    // same version without one. Never fails: unreadable parts are skipped.
    static ComparisonResult versionStringCompare(const QString& a, const QString& b);
    // The same comparison, under the name callers by selector use.
    static ComparisonResult versionStringCompareWith(const QString& a, const QString& other);

    // Web link of an application on the store's web host.
    static QString composeAppURLString(const QString& appId);
    // The link with its scheme replaced by the store's own "macappstore".
    static std::optional<QString> changeURLForMacAppStore(const QString& urlString);
    // Opens the store's page of the application; false (and an ERR line) when
    // the link cannot be made or nothing opened it.
    static bool openMacAppStore(const QString& appId);

    // The lower bound is tested first, so clamp(5, 10, 0) is 10.
    template <typename T>
    static T clamp(const T& x, const T& l, const T& u)
    {
        if (x < l)
            return l;
        if (x > u)
            return u;
        return x;
    }

    template <typename Container>
    static bool isIndexValidInArrary(std::int64_t index, const Container& arrary)
    {
        const auto count = static_cast<std::int64_t>(arrary.size());
        return index >= 0 && count > 0 && index < count;
    }

    // Grid arithmetic; a grid of 0 columns gives row and column 0. Division
    // truncates toward zero, the remainder takes the sign of the index.
    static std::int64_t rowFrom(std::int64_t index, std::int64_t columns);
    static std::int64_t columnFrom(std::int64_t index, std::int64_t columns);
    static std::int64_t indexFrom(std::int64_t row, std::int64_t col, std::int64_t columns);

    // The user's documents folder as a directory URL, if the system names one.
    static std::optional<QUrl> userDataDocumentsDirectoryURL();
    // The user's home folder as a directory URL.
    static QUrl userHomeDirectoryURL();

    // Host of the application store's web pages.
    static constexpr const char* kAppStoreWebHost = "apps.vantrell.com";
};
