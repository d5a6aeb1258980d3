#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

namespace platform {

// Settings of one document's printing, kept as a dictionary so that print
// accessories can store their choices in it.
class PrintInfo {
public:
    enum Pagination { AutoPagination = 0, FitPagination = 1, ClipPagination = 2 };

    static QString horizontalPaginationKey(); // "HorizontalPagination"
    static QString verticalPaginationKey();   // "VerticalPagination"

    QVariantMap& dictionary() { return m_dictionary; }
    const QVariantMap& dictionary() const { return m_dictionary; }

    Pagination horizontalPagination() const;
    Pagination verticalPagination() const;

private:
    QVariantMap m_dictionary;
};

} // namespace platform
