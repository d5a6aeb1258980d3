#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// One e-mail to be composed: subject, recipients and body. A copy is
// independent of the original, its recipient list included.
class CHEmailInfo {
public:
    static std::shared_ptr<CHEmailInfo> emailInfoWithSubject(const QString& subject,
                                                             const std::optional<QStringList>& recipients,
                                                             const QString& body);

    QString subject() const { return m_subject; }
    void setSubject(const QString& subject) { m_subject = subject; }
    // Absent until set.
    std::optional<QStringList> recipientsArray() const { return m_recipients; }
    void setRecipientsArray(const std::optional<QStringList>& recipients) { m_recipients = recipients; }
    QString body() const { return m_body; }
    void setBody(const QString& body) { m_body = body; }

    std::shared_ptr<CHEmailInfo> copy() const { return std::make_shared<CHEmailInfo>(*this); }

private:
    QString m_subject;
    std::optional<QStringList> m_recipients;
    QString m_body;
};
