#include "AccessibleTree.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QElapsedTimer>

#include <algorithm>
#include <vector>

namespace {

const QString kAccessible = QStringLiteral("org.a11y.atspi.Accessible");
const QString kComponent = QStringLiteral("org.a11y.atspi.Component");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kRootPath = QStringLiteral("/org/a11y/atspi/accessible/root");
const QString kNullPath = QStringLiteral("/org/a11y/atspi/null");
// Extents in screen coordinates.
constexpr uint kScreenCoordinates = 0;
// Bounds on one walk, so that a tree gone wrong cannot keep it going.
constexpr int kMaxDepth = 64;
constexpr size_t kMaxObjects = 20000;

int remaining(const QElapsedTimer& timer, int timeoutMs)
{
    return int(std::max<qint64>(timeoutMs - timer.elapsed(), 1));
}

QList<QVariant> argumentsOf(QDBusPendingCall& call)
{
    call.waitForFinished();
    const QDBusMessage reply = call.reply();
    return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments() : QList<QVariant>();
}

// An a(so) list of object references.
template <typename Reference>
QList<Reference> referencesIn(const QVariant& value)
{
    QList<Reference> references;
    if (value.userType() != qMetaTypeId<QDBusArgument>())
        return references;
    const QDBusArgument argument = value.value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) {
        QString service;
        QDBusObjectPath path;
        argument.beginStructure();
        argument >> service >> path;
        argument.endStructure();
        if (path.path() != kNullPath)
            references.append({service, path.path()});
    }
    argument.endArray();
    return references;
}

quint64 statesIn(const QVariant& value)
{
    const QList<uint> words = qdbus_cast<QList<uint>>(value);
    quint64 states = 0;
    for (qsizetype i = 0; i < std::min<qsizetype>(words.size(), 2); ++i)
        states |= quint64(words.at(i)) << (32 * i);
    return states;
}

QRect rectIn(const QVariant& value)
{
    if (value.userType() != qMetaTypeId<QDBusArgument>())
        return {};
    const QDBusArgument argument = value.value<QDBusArgument>();
    int x = 0, y = 0, width = 0, height = 0;
    argument.beginStructure();
    argument >> x >> y >> width >> height;
    argument.endStructure();
    return {x, y, width, height};
}

QString textIn(const QList<QVariant>& arguments)
{
    if (arguments.isEmpty())
        return {};
    const QVariant& value = arguments.constFirst();
    if (value.canConvert<QDBusVariant>())
        return value.value<QDBusVariant>().variant().toString();
    return value.toString();
}

} // namespace

AccessibleTree::AccessibleTree(const QString& accessibilityBusAddress)
    : m_connectionName(QStringLiteral("velumo-e2e-accessibility-%1").arg(quintptr(this)))
{
    QDBusConnection::connectToBus(accessibilityBusAddress, m_connectionName);
}

AccessibleTree::~AccessibleTree()
{
    QDBusConnection::disconnectFromBus(m_connectionName);
}

bool AccessibleTree::isConnected() const
{
    return QDBusConnection(m_connectionName).isConnected();
}

QStringList AccessibleTree::servicesOf(qint64 processId, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    QDBusConnection bus(m_connectionName);
    const QString busService = QStringLiteral("org.freedesktop.DBus");
    const QString busPath = QStringLiteral("/org/freedesktop/DBus");
    const QDBusMessage names =
        bus.call(QDBusMessage::createMethodCall(busService, busPath, busService, QStringLiteral("ListNames")), QDBus::Block,
                 timeoutMs);
    if (names.type() != QDBusMessage::ReplyMessage || names.arguments().isEmpty())
        return {};
    QStringList unique;
    std::vector<QDBusPendingCall> calls;
    for (const QString& name : names.arguments().constFirst().toStringList()) {
        if (!name.startsWith(QLatin1Char(':')))
            continue;
        QDBusMessage ask =
            QDBusMessage::createMethodCall(busService, busPath, busService, QStringLiteral("GetConnectionUnixProcessID"));
        ask << name;
        unique.append(name);
        calls.push_back(bus.asyncCall(ask, remaining(timer, timeoutMs)));
    }
    QStringList services;
    for (size_t i = 0; i < calls.size(); ++i) {
        const QList<QVariant> reply = argumentsOf(calls[i]);
        if (!reply.isEmpty() && reply.constFirst().toLongLong() == processId)
            services.append(unique.at(qsizetype(i)));
    }
    return services;
}

QRect AccessibleTree::extentsOf(const Reference& object, int timeoutMs)
{
    QDBusMessage ask =
        QDBusMessage::createMethodCall(object.service, object.path, kComponent, QStringLiteral("GetExtents"));
    ask << kScreenCoordinates;
    QDBusPendingCall call = QDBusConnection(m_connectionName).asyncCall(ask, timeoutMs);
    const QList<QVariant> reply = argumentsOf(call);
    return reply.isEmpty() ? QRect() : rectIn(reply.constFirst());
}

QList<AccessibleTree::Reference> AccessibleTree::topLevels(const QStringList& services, const QRect& window,
                                                           int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    QDBusConnection bus(m_connectionName);
    QList<Reference> windows;
    for (const QString& service : services) {
        QDBusPendingCall call = bus.asyncCall(
            QDBusMessage::createMethodCall(service, kRootPath, kAccessible, QStringLiteral("GetChildren")),
            remaining(timer, timeoutMs));
        const QList<QVariant> reply = argumentsOf(call);
        if (!reply.isEmpty())
            windows += referencesIn<Reference>(reply.constFirst());
    }
    if (window.isNull())
        return windows;
    // The window is the one whose frame lies exactly where the display
    // has it; failing that, the one over the middle of it.
    QList<Reference> exact;
    QList<Reference> over;
    for (const Reference& candidate : windows) {
        const QRect extents = extentsOf(candidate, remaining(timer, timeoutMs));
        if (extents == window)
            exact.append(candidate);
        else if (extents.contains(window.center()))
            over.append(candidate);
    }
    return exact.isEmpty() ? over : exact;
}

QList<AccessibleControl> AccessibleTree::find(qint64 processId, const QString& name, const QRect& window,
                                              int timeoutMs, QStringList* shownNames)
{
    QElapsedTimer timer;
    timer.start();
    QDBusConnection bus(m_connectionName);
    if (!bus.isConnected() || processId <= 0)
        return {};

    struct Object {
        Reference reference;
        int parent = -1;
        QString name;
        quint64 states = 0;
        bool matches = false;
        bool holdsMatch = false;
    };
    std::vector<Object> objects;
    std::vector<int> level;
    for (const Reference& top : topLevels(servicesOf(processId, timeoutMs), window, remaining(timer, timeoutMs))) {
        level.push_back(int(objects.size()));
        objects.push_back(Object{top, -1, QString(), 0, false, false});
    }

    for (int depth = 0; !level.empty() && depth < kMaxDepth && objects.size() < kMaxObjects; ++depth) {
        // The names and states of the whole level at once.
        std::vector<QDBusPendingCall> nameCalls;
        std::vector<QDBusPendingCall> stateCalls;
        for (const int index : level) {
            const Reference& object = objects[size_t(index)].reference;
            QDBusMessage askName = QDBusMessage::createMethodCall(object.service, object.path, kProperties, QStringLiteral("Get"));
            askName << kAccessible << QStringLiteral("Name");
            nameCalls.push_back(bus.asyncCall(askName, remaining(timer, timeoutMs)));
            stateCalls.push_back(bus.asyncCall(
                QDBusMessage::createMethodCall(object.service, object.path, kAccessible, QStringLiteral("GetState")),
                remaining(timer, timeoutMs)));
        }
        std::vector<int> shown;
        for (size_t i = 0; i < level.size(); ++i) {
            Object& object = objects[size_t(level[i])];
            object.name = textIn(argumentsOf(nameCalls[i]));
            const QList<QVariant> state = argumentsOf(stateCalls[i]);
            object.states = state.isEmpty() ? 0 : statesIn(state.constFirst());
            if (!((object.states >> AccessibleControl::kShowing) & 1u))
                continue;
            shown.push_back(level[i]);
            if (shownNames && !object.name.isEmpty())
                shownNames->append(object.name);
            if (object.name == name) {
                object.matches = true;
                for (int up = object.parent; up >= 0; up = objects[size_t(up)].parent)
                    objects[size_t(up)].holdsMatch = true;
            }
        }
        // Then the children of what shows.
        std::vector<QDBusPendingCall> childCalls;
        for (const int index : shown) {
            const Reference& object = objects[size_t(index)].reference;
            childCalls.push_back(bus.asyncCall(
                QDBusMessage::createMethodCall(object.service, object.path, kAccessible, QStringLiteral("GetChildren")),
                remaining(timer, timeoutMs)));
        }
        std::vector<int> next;
        for (size_t i = 0; i < shown.size(); ++i) {
            const QList<QVariant> reply = argumentsOf(childCalls[i]);
            if (reply.isEmpty())
                continue;
            for (const Reference& child : referencesIn<Reference>(reply.constFirst())) {
                if (objects.size() >= kMaxObjects)
                    break;
                next.push_back(int(objects.size()));
                objects.push_back(Object{child, shown[i], QString(), 0, false, false});
            }
        }
        level = std::move(next);
        if (timer.elapsed() >= timeoutMs)
            break;
    }

    QList<AccessibleControl> found;
    for (const Object& object : objects) {
        if (!object.matches || object.holdsMatch)
            continue;
        const Reference& reference = object.reference;
        QDBusMessage askDescription =
            QDBusMessage::createMethodCall(reference.service, reference.path, kProperties, QStringLiteral("Get"));
        askDescription << kAccessible << QStringLiteral("Description");
        QDBusPendingCall description = bus.asyncCall(askDescription, remaining(timer, timeoutMs));
        QDBusPendingCall role = bus.asyncCall(
            QDBusMessage::createMethodCall(reference.service, reference.path, kAccessible, QStringLiteral("GetRoleName")),
            remaining(timer, timeoutMs));
        AccessibleControl control;
        control.extents = extentsOf(reference, remaining(timer, timeoutMs));
        control.description = textIn(argumentsOf(description));
        control.role = textIn(argumentsOf(role));
        control.name = object.name;
        control.states = object.states;
        control.found = !control.extents.isEmpty();
        if (control.found)
            found.append(control);
    }
    // A label names the control beside it: the control is what is meant.
    const auto isLabel = [](const AccessibleControl& control) { return control.role == QLatin1String("label"); };
    if (!std::all_of(found.cbegin(), found.cend(), isLabel))
        found.removeIf(isLabel);
    return found;
}
