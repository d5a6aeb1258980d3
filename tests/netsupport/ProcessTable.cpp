#include "ProcessTable.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <map>
#include <set>

ProcessTable::Entry ProcessTable::entry(pid_t pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray stat = file.readAll();
    // "pid (name) state ppid pgrp ...": the name may hold blanks and brackets.
    const qsizetype open = stat.indexOf('(');
    const qsizetype close = stat.lastIndexOf(')');
    if (open < 0 || close < open)
        return {};
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    if (fields.size() < 20)
        return {};
    Entry entry;
    entry.pid = pid;
    entry.name = stat.mid(open + 1, close - open - 1);
    entry.state = fields[0].isEmpty() ? '?' : fields[0][0];
    entry.parent = pid_t(fields[1].toInt());
    entry.group = pid_t(fields[2].toInt());
    entry.startTime = fields[19]; // the 22nd field of the line
    return entry;
}

std::vector<ProcessTable::Entry> ProcessTable::descendantsOf(pid_t root)
{
    std::vector<Entry> all;
    for (const QString& name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const pid_t pid = pid_t(name.toInt(&number));
        if (!number)
            continue;
        const Entry found = entry(pid);
        if (found.pid)
            all.push_back(found);
    }
    std::multimap<pid_t, const Entry*> byParent;
    for (const Entry& process : all)
        byParent.emplace(process.parent, &process);
    // The root's own group (its runner's) is not the root's to answer for.
    const pid_t rootGroup = entry(root).group;
    std::set<pid_t> taken;
    std::set<pid_t> groups;
    std::vector<Entry> found;
    std::vector<pid_t> parents{root};
    while (!parents.empty()) {
        const pid_t parent = parents.back();
        parents.pop_back();
        const auto [first, last] = byParent.equal_range(parent);
        for (auto it = first; it != last; ++it) {
            if (!taken.insert(it->second->pid).second)
                continue;
            found.push_back(*it->second);
            parents.push_back(it->second->pid);
            if (it->second->group != rootGroup)
                groups.insert(it->second->group);
        }
    }
    for (const Entry& process : all) {
        if (process.pid != root && groups.count(process.group) && taken.insert(process.pid).second)
            found.push_back(process);
    }
    return found;
}

bool ProcessTable::stillRuns(const Entry& process)
{
    const Entry now = entry(process.pid);
    return now.pid && now.startTime == process.startTime && now.state != 'Z' && now.state != 'X';
}

QString ProcessTable::describe(const std::vector<Entry>& processes)
{
    QStringList names;
    for (const Entry& process : processes)
        names << QStringLiteral("%1 (%2)").arg(QString::fromLocal8Bit(process.name)).arg(process.pid);
    return names.join(QStringLiteral(", "));
}
