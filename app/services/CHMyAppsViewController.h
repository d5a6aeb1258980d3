#pragma once

#include "HoverTableViewDelegate.h"

#include <QList>
#include <QUrl>
#include <QVariant>
#include <QWidget>

#include <memory>
#include <optional>

class CHAppItem;
class HoverTableView;
class PHProgressHUD;
class VNHTTPRequest;
namespace platform {
class Clock;
}

// The content of the my-apps popover: downloads the list of the maker's
// applications when it appears, shows one row per application sorted by
// priority, and opens a clicked application's store page.
class CHMyAppsViewController : public QWidget, public HoverTableViewDelegate {
    Q_OBJECT
public:
    explicit CHMyAppsViewController(QWidget* parent = nullptr);
    ~CHMyAppsViewController() override;

    // The list's address below the service address setting.
    static QUrl listURL();
    static QString listPath(); // "/mac/myapps/myapps.plist"

    void viewWillAppear();
    void viewDidAppear() {}
    void viewWillDisappear();
    void viewDidDisappear() {}

    void downloadMyAppsList();
    void requestFinished(VNHTTPRequest& request);
    void requestFailed(VNHTTPRequest& request);
    // A piece of the list as it arrives; past what any list holds the
    // download stops and fails.
    void requestDidReceiveData(VNHTTPRequest& request, const QByteArray& data);

    void showHudWithText(const QString& text);
    void hideHud();

    int numberOfRowsInTableView(HoverTableView& table) override;
    QWidget* tableViewForRow(HoverTableView& table, int row) override;
    void tableViewSelectionDidChange(HoverTableView& table) override;

    // The items of a list (the read property list) fetched from listURL,
    // sorted for showing; null when the list has not the expected shape.
    static std::optional<QList<std::shared_ptr<CHAppItem>>> itemsFromPropertyList(const QVariant& list,
                                                                                  const QUrl& listURL);
    // Greatest priority first; equal priorities keep their order.
    static void sortByPriority(QList<std::shared_ptr<CHAppItem>>& items);
    // The text of a language dictionary for the language: its own entry,
    // else the entry "other".
    static QString textForLanguage(const QVariantMap& dictionary, const QString& language);
    // The first language the user prefers, or an empty text.
    static QString preferredLanguage();

    HoverTableView* tableView() const { return m_tableView; }
    const QList<std::shared_ptr<CHAppItem>>& appsArray() const { return m_appsArray; }
    VNHTTPRequest* vnHTTPRequest() const { return m_vnHTTPRequest.get(); }
    // The HUDs' timers run on this clock (the system's unless set; not owned).
    void setClock(platform::Clock* clock);

    QSize sizeHint() const override { return {380, 420}; }

private:
    class RequestDelegate;
    QString listText(const VNHTTPRequest& request) const;
    void cancelDownload();
    PHProgressHUD* addHUD();

    std::shared_ptr<VNHTTPRequest> m_vnHTTPRequest;
    std::shared_ptr<RequestDelegate> m_requestDelegate;
    QByteArray m_listData;
    HoverTableView* m_tableView;
    QList<std::shared_ptr<CHAppItem>> m_appsArray;
    platform::Clock* m_clock;
};
