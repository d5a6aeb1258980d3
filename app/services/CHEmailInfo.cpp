#include "CHEmailInfo.h"

std::shared_ptr<CHEmailInfo> CHEmailInfo::emailInfoWithSubject(const QString& subject,
                                                               const std::optional<QStringList>& recipients,
                                                               const QString& body)
{
    auto info = std::make_shared<CHEmailInfo>();
    info->setSubject(subject);
    info->setRecipientsArray(recipients);
    info->setBody(body);
    return info;
}
