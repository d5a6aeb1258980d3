#include "CHMyAppsViewController.h"

#include "CHAppItem.h"
#include "CHMyAppsTableCellView.h"
#include "CHOpeningURL.h"
#include "CHServiceAddress.h"
#include "CHServiceLimits.h"
#include "CHStringsTable.h"
#include "DLAsyncImageView.h"
#include "HoverTableRowView.h"
#include "HoverTableView.h"
#include "PHProgressHUD.h"
#include "VNHTTPRequest.h"
#include "VNHTTPRequestDelegate.h"

#include "platform/appkit/ImageResource.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/ExceptionGuard.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"

#include <QLabel>
#include <QScrollArea>
#include <QStringDecoder>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace {
const QString kStringsTable = QStringLiteral("dadezistrings");
const QString kLoadingKey = QStringLiteral("数据加载中，请稍等片刻...");
const QString kFailedKey = QStringLiteral("数据加载失败");
const QString kIconToolTip = QStringLiteral("app icon");

QVariantMap dictionaryOf(const QVariant& value)
{
    return value.typeId() == QMetaType::QVariantMap ? value.toMap() : QVariantMap();
}

QString stringOf(const QVariant& value)
{
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

qint32 priorityOf(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::Bool:
    case QMetaType::Double: {
        const double number = value.toDouble();
        // Out of range, the priority stops at the ends of the 32-bit range.
        if (number >= double(std::numeric_limits<qint32>::max()))
            return std::numeric_limits<qint32>::max();
        if (number <= double(std::numeric_limits<qint32>::min()))
            return std::numeric_limits<qint32>::min();
        return value.typeId() == QMetaType::Double ? qint32(number) : qint32(value.toLongLong());
    }
    default:
        return 0;
    }
}
} // namespace

// The controller's link to its request. The request holds its delegate
// weakly: once the controller drops this object, nothing reaches it.
class CHMyAppsViewController::RequestDelegate : public VNHTTPRequestDelegate {
public:
    explicit RequestDelegate(CHMyAppsViewController* owner)
        : m_owner(owner)
    {
    }
    void requestFinished(VNHTTPRequest& request) override
    {
        if (m_owner)
            m_owner->requestFinished(request);
    }
    void requestFailed(VNHTTPRequest& request) override
    {
        if (m_owner)
            m_owner->requestFailed(request);
    }
    // The list is gathered by the controller, which bounds it.
    bool wantsReceivedData() const override { return true; }
    void requestDidReceiveData(VNHTTPRequest& request, const QByteArray& data) override
    {
        if (m_owner)
            m_owner->requestDidReceiveData(request, data);
    }
    void detach() { m_owner = nullptr; }

private:
    CHMyAppsViewController* m_owner;
};

CHMyAppsViewController::CHMyAppsViewController(QWidget* parent)
    : QWidget(parent)
    , m_tableView(new HoverTableView)
    , m_clock(&platform::Clock::system())
{
    setAccessibleName(QStringLiteral("My Apps"));
    m_tableView->setDelegate(this);
    m_tableView->registerCellMaker(CHMyAppsTableCellView::identifier(), [] { return new CHMyAppsTableCellView; });
    auto* scroller = new QScrollArea(this);
    scroller->setWidget(m_tableView);
    scroller->setWidgetResizable(true);
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroller);
}

CHMyAppsViewController::~CHMyAppsViewController()
{
    platform::exceptionGuard([this] { cancelDownload(); });
    m_tableView->setDelegate(nullptr);
}

QString CHMyAppsViewController::listPath()
{
    return QStringLiteral("/mac/myapps/myapps.plist");
}

QUrl CHMyAppsViewController::listURL()
{
    return CHServiceAddress::urlForPath(listPath());
}

void CHMyAppsViewController::setClock(platform::Clock* clock)
{
    m_clock = clock ? clock : &platform::Clock::system();
}

void CHMyAppsViewController::viewWillAppear()
{
    downloadMyAppsList();
}

void CHMyAppsViewController::viewWillDisappear()
{
    hideHud();
    platform::exceptionGuard([this] { cancelDownload(); });
}

void CHMyAppsViewController::cancelDownload()
{
    if (m_requestDelegate)
        m_requestDelegate->detach();
    if (m_vnHTTPRequest)
        m_vnHTTPRequest->clearDelegatesAndCancel();
    m_vnHTTPRequest.reset();
    m_requestDelegate.reset();
    m_listData.clear();
}

void CHMyAppsViewController::downloadMyAppsList()
{
    platform::exceptionGuard([this] {
        cancelDownload();
        VNHTTPRequest::setShouldUpdateNetworkActivityIndicator(true);
        m_vnHTTPRequest = VNHTTPRequest::requestWithURL(listURL());
        m_vnHTTPRequest->setDefaultResponseEncoding("UTF-8");
        m_requestDelegate = std::make_shared<RequestDelegate>(this);
        m_vnHTTPRequest->setDelegate(m_requestDelegate);
        m_vnHTTPRequest->startAsynchronous();
        showHudWithText(CHStringsTable::named(kStringsTable).localizedString(kLoadingKey));
    });
}

PHProgressHUD* CHMyAppsViewController::addHUD()
{
    auto* hud = new PHProgressHUD(this);
    hud->setClock(m_clock);
    hud->raise();
    hud->show(true);
    return hud;
}

void CHMyAppsViewController::showHudWithText(const QString& text)
{
    platform::exceptionGuard([this, &text] {
        PHProgressHUD* hud = addHUD();
        hud->setLabelText(text);
        hud->setRemoveFromSuperViewOnHide(true);
    });
}

void CHMyAppsViewController::hideHud()
{
    platform::exceptionGuard([this] { PHProgressHUD::hideAllHUDsForView(this, true); });
}

void CHMyAppsViewController::requestDidReceiveData(VNHTTPRequest& request, const QByteArray& data)
{
    platform::exceptionGuard([this, &request, &data] {
        if (m_listData.size() + data.size() <= CHServiceLimits::kMyAppsListBytes) {
            m_listData.append(data);
            return;
        }
        // No list of ours is that large: the download stops and fails.
        const std::shared_ptr<VNHTTPRequest> running = m_vnHTTPRequest;
        cancelDownload();
        requestFailed(request);
    });
}

QString CHMyAppsViewController::listText(const VNHTTPRequest& request) const
{
    // As the request would decode it: the charset the server named, else UTF-8.
    const QByteArray encoding = request.responseEncoding().isEmpty() ? QByteArray("UTF-8") : request.responseEncoding();
    QStringDecoder decoder(encoding.constData());
    if (!decoder.isValid() || m_listData.isEmpty())
        return QString();
    const QString text = decoder.decode(m_listData);
    return decoder.hasError() ? QString() : text;
}

void CHMyAppsViewController::requestFinished(VNHTTPRequest& request)
{
    platform::exceptionGuard([this, &request] {
        hideHud();
        const QString text = listText(request);
        m_listData.clear();
        if (text.isEmpty()) {
            requestFailed(request);
            return;
        }
        QString error;
        const std::optional<QVariant> list = platform::PropertyList::fromText(text, &error);
        if (!list)
            throw std::runtime_error(QStringLiteral("the list is no property list: %1").arg(error).toStdString());
        auto items = itemsFromPropertyList(*list, listURL());
        if (!items)
            return;
        m_appsArray = std::move(*items);
        m_tableView->reloadData();
    });
}

std::optional<QList<std::shared_ptr<CHAppItem>>> CHMyAppsViewController::itemsFromPropertyList(const QVariant& list,
                                                                                                const QUrl& listURL)
{
    if (list.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    const QVariant root = list.toMap().value(QStringLiteral("root"));
    if (root.typeId() != QMetaType::QVariantMap)
        return std::nullopt;

    const QString address = listURL.toString();
    const QString folder = address.left(qMax<qsizetype>(0, address.lastIndexOf(QLatin1Char('/'))));
    QList<std::shared_ptr<CHAppItem>> items;
    // The entries come in the order of their keys, which the stable sort
    // keeps among equal priorities.
    const QVariantMap entries = root.toMap();
    // Every entry makes a row and an icon request: a list longer than any
    // of ours is not read.
    if (entries.size() > CHServiceLimits::kMyAppsListEntries)
        return std::nullopt;
    for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
        const QVariantMap entry = dictionaryOf(it.value());
        // An entry without an icon name has no icon, rather than an
        // address that names none.
        const QString iconName = stringOf(entry.value(QStringLiteral("icon_name")));
        const QString iconUrl = iconName.isEmpty() ? QString() : QStringLiteral("%1/%2").arg(folder, iconName);
        items.append(std::make_shared<CHAppItem>(dictionaryOf(entry.value(QStringLiteral("title"))),
                                                 dictionaryOf(entry.value(QStringLiteral("content"))), iconUrl,
                                                 stringOf(entry.value(QStringLiteral("down_url"))),
                                                 dictionaryOf(entry.value(QStringLiteral("prices"))),
                                                 priorityOf(entry.value(QStringLiteral("priority")))));
    }
    sortByPriority(items);
    return items;
}

void CHMyAppsViewController::sortByPriority(QList<std::shared_ptr<CHAppItem>>& items)
{
    // A strict ordering: "greater first" must answer false both ways for
    // equal priorities, or the sort may shuffle (or overrun) them.
    std::stable_sort(items.begin(), items.end(),
                     [](const std::shared_ptr<CHAppItem>& a, const std::shared_ptr<CHAppItem>& b) {
                         if (!a || !b)
                             return false;
                         return a->priority() > b->priority();
                     });
}

void CHMyAppsViewController::requestFailed(VNHTTPRequest&)
{
    platform::exceptionGuard([this] {
        hideHud();
        PHProgressHUD* hud = addHUD();
        hud->setMode(PHProgressHUD::CustomView);
        const QList<QImage> images = platform::ImageResource::load(QStringLiteral("emotion_sad"));
        if (!images.isEmpty()) {
            const QImage& image = images.first();
            auto* view = new QLabel;
            view->setPixmap(QPixmap::fromImage(image));
            view->setFixedSize(image.size());
            hud->setCustomView(view);
        }
        hud->setLabelText(CHStringsTable::named(kStringsTable).localizedString(kFailedKey));
        hud->setRemoveFromSuperViewOnHide(true);
        hud->hide(true, 1.5);
    });
}

QString CHMyAppsViewController::preferredLanguage()
{
    const QVariantList languages = platform::UserDefaults::standard().array(QStringLiteral("AppleLanguages"));
    return languages.isEmpty() ? QString() : languages.first().toString();
}

QString CHMyAppsViewController::textForLanguage(const QVariantMap& dictionary, const QString& language)
{
    const QString own = language.isEmpty() ? QString() : stringOf(dictionary.value(language));
    return own.isEmpty() ? stringOf(dictionary.value(QStringLiteral("other"))) : own;
}

int CHMyAppsViewController::numberOfRowsInTableView(HoverTableView&)
{
    return int(m_appsArray.size());
}

QWidget* CHMyAppsViewController::tableViewForRow(HoverTableView& table, int row)
{
    QWidget* made = table.makeViewWithIdentifier(CHMyAppsTableCellView::identifier());
    auto* cell = qobject_cast<CHMyAppsTableCellView*>(made);
    if (!cell) {
        delete made;
        return nullptr;
    }
    platform::exceptionGuard([this, cell, row] {
        if (row < 0 || row >= m_appsArray.size() || !m_appsArray.at(row))
            return;
        const CHAppItem& item = *m_appsArray.at(row);
        const QString language = preferredLanguage();
        const QString title = textForLanguage(item.titleDict(), language);
        const QString content = textForLanguage(item.contentDict(), language);
        const QString price = textForLanguage(item.pricesDict(), language);
        if (!item.iconUrl().isEmpty()) {
            cell->ivIcon()->downloadImageFromURL(item.iconUrl(), QImage(), QImage(), true);
            // Starting a download clears the tips.
            cell->ivIcon()->setToolTipWhileLoading(kIconToolTip, kIconToolTip, kIconToolTip);
        }
        cell->lbTitle()->setText(title);
        cell->lbContent()->setText(content);
        cell->lbPrice()->setText(price);
        cell->setAccessibleName(title);
        cell->ivIcon()->setAccessibleName(QStringLiteral("%1 icon").arg(title));
    });
    return cell;
}

void CHMyAppsViewController::tableViewSelectionDidChange(HoverTableView& table)
{
    for (int row = 0; row < table.numberOfRows(); ++row) {
        HoverTableRowView* rowView = table.rowViewAtRow(row);
        if (!rowView || !rowView->isSelected() || row >= m_appsArray.size() || !m_appsArray.at(row))
            continue;
        const QString link = m_appsArray.at(row)->downUrl();
        if (!link.isEmpty())
            CHOpeningURL::openInStore(QStringLiteral("MoreAppTableItemClicked"), link, this);
    }
}
