#pragma once

#include "CloudError.h"
#include "CloudQuery.h"
#include "CloudRecord.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace platform {

// The public database of a container, read from a folder of records: each
// record is a JSON file "<record name>.json" holding
//   {"recordType": "...", "fields": {"name": "text" | number | {"asset": "file"}}}
// where an asset names a file beside the record (no folders above it).
class CloudDatabase {
public:
    using Completion = std::function<void(const std::vector<CloudRecord>& records, const std::optional<CloudError>& error)>;

    explicit CloudDatabase(const QString& folder)
        : m_folder(folder)
    {
    }
    QString folder() const { return m_folder; }

    // Runs the query on a thread of its own and calls completion there,
    // once: the matching records in the order of their names, or an error.
    void performQuery(const CloudQuery& query, Completion completion) const;

    // The same, on the calling thread.
    static std::vector<CloudRecord> runQuery(const QString& folder, const CloudQuery& query, std::optional<CloudError>* error);

private:
    QString m_folder;
};

} // namespace platform
