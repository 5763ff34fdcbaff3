#include "config/signconfig.h"

#include "protocol/numbers.h"

#include <algorithm>

namespace config {

void ChangeFlags::setAll()
{
    priorityChanged.fill(true);
    linkChanged.fill(true);
    autoIdChanged = true;
    userCmdChanged = true;
}

int ChangeFlags::countSet() const
{
    return int(items().size());
}

namespace {

// The one place that knows which flag an item number names; the rest go by number.
template <typename Flags>
auto flagOf(Flags &flags, int item) -> decltype(&flags.autoIdChanged)
{
    if (item >= 0 && item < PriorityCount)
        return &flags.priorityChanged[item];
    if (item == IdModeItem)
        return &flags.autoIdChanged;
    if (item == UserCommandItem)
        return &flags.userCmdChanged;
    if (item >= FirstLinkItem && item < UploadItemCount)
        return &flags.linkChanged[item - FirstLinkItem];
    return nullptr;
}

} // namespace

bool ChangeFlags::item(int item) const
{
    const bool *flag = flagOf(*this, item);
    return flag && *flag;
}

void ChangeFlags::setItem(int item, bool flagged)
{
    if (bool *flag = flagOf(*this, item))
        *flag = flagged;
}

QList<int> ChangeFlags::items() const
{
    QList<int> flagged;
    for (int k = 0; k < UploadItemCount; ++k) {
        if (item(k))
            flagged.append(k);
    }
    return flagged;
}

ChangeFlags &ChangeFlags::operator|=(const ChangeFlags &more)
{
    for (const int k : more.items())
        setItem(k, true);
    return *this;
}

namespace {

// Copies one list position into the baseline when it differs; true when it did.
bool takeIfDifferent(qint16 current, qint16 &baseline)
{
    if (current == baseline)
        return false;
    baseline = current;
    return true;
}

// The display defaults of one row: the list positions first, then the timeout compared as a
// number, so "05" and 5 are the same.
bool comparePriorityRow(const PriorityDefaults &current, PriorityBaseline &baseline)
{
    bool changed = false;
    changed |= takeIfDifferent(current.font, baseline.font);
    changed |= takeIfDifferent(current.style, baseline.style);
    changed |= takeIfDifferent(current.color, baseline.color);
    changed |= takeIfDifferent(current.speed, baseline.speed);
    changed |= takeIfDifferent(current.alignment, baseline.alignment);
    changed |= takeIfDifferent(current.pause, baseline.pause);
    changed |= takeIfDifferent(current.beep, baseline.beep);

    // A timeout beyond 16 bits cannot be held in the baseline: the row counts as changed and
    // the baseline keeps its old value. The upload refuses such a text before it gets here.
    const std::optional<qint16> timeout = protocol::toInt16(protocol::leadingNumber(current.timeout));
    if (!timeout)
        changed = true;
    else
        changed |= takeIfDifferent(*timeout, baseline.timeout);
    return changed;
}

// Compares one link and returns how many of its two parts differ (capcode, priority).
int compareLink(const LinkEntry &current, LinkBaseline &baseline, bool &flag)
{
    int count = 0;
    if (current.capcode != baseline.capcode) {
        flag = true;
        baseline.capcode = current.capcode;
        ++count;
    }
    // Without a capcode there is no link, so its priority does not matter.
    if (!current.capcode.isEmpty() && current.priority != -1
        && protocol::leadingNumber(baseline.priority) != current.priority) {
        flag = true;
        baseline.priority = QString::number(current.priority);
        ++count;
    }
    return count;
}

} // namespace

qint16 getChangedRows(const ConfigValues &current, Baseline &baseline, ChangeFlags &flags)
{
    for (int n = 0; n < PriorityCount; ++n) {
        if (comparePriorityRow(current.priorities[n], baseline.priorities[n]))
            flags.priorityChanged[n] = true;
    }

    int count = 0;
    for (int i = 0; i < LinkCount; ++i)
        count += compareLink(current.links[i], baseline.links[i], flags.linkChanged[i]);

    if (current.userCommand != baseline.userCommand) {
        flags.userCmdChanged = true;
        baseline.userCommand = current.userCommand;
    }

    // Priority rows count whenever they are flagged, also from before this call; links and the
    // ID mode count only when they differ now.
    count += int(std::count(flags.priorityChanged.begin(), flags.priorityChanged.end(), true));

    if (current.autoId != baseline.autoId) {
        flags.autoIdChanged = true;
        baseline.autoId = current.autoId;
        ++count;
    }

    if (flags.userCmdChanged)
        ++count;

    return qint16(count);
}

} // namespace config
