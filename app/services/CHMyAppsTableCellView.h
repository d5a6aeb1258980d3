#pragma once

#include <QWidget>

class DLAsyncImageView;
class QLabel;

// The cell of a my-apps row: the application's icon, its title and
// description, and its price at the right.
class CHMyAppsTableCellView : public QWidget {
    Q_OBJECT
public:
    explicit CHMyAppsTableCellView(QWidget* parent = nullptr);

    static QString identifier(); // "MyAppCell"

    void relayout() {}

    DLAsyncImageView* ivIcon() const { return m_ivIcon; }
    QLabel* lbTitle() const { return m_lbTitle; }
    QLabel* lbContent() const { return m_lbContent; }
    QLabel* lbPrice() const { return m_lbPrice; }

private:
    DLAsyncImageView* m_ivIcon;
    QLabel* m_lbTitle;
    QLabel* m_lbContent;
    QLabel* m_lbPrice;
};
