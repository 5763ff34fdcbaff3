#pragma once

#include <QList>
#include <QString>

#include <array>

namespace config {

inline constexpr int PriorityCount = 5;
inline constexpr int LinkCount = 8;
inline constexpr int UploadCommandCount = 7;  // priorities 0..4, ID mode, user command

// Upload items by number, in the order an upload sends them: priorities 0..4, the ID mode (5),
// the user command (6), links 0..7 (7..14). The first seven are also the positions of their
// commands in SignConfig::uploadCommands.
inline constexpr int IdModeItem = PriorityCount;
inline constexpr int UserCommandItem = PriorityCount + 1;
inline constexpr int FirstLinkItem = UploadCommandCount;
inline constexpr int UploadItemCount = FirstLinkItem + LinkCount;

// Display defaults of one message priority as the controls show them. List fields are list
// positions (-1 = nothing selected); the timeout is the text typed in its box.
struct PriorityDefaults {
    qint16 font = -1, style = -1, color = -1, speed = -1, alignment = -1, pause = -1, beep = -1;
    QString timeout;
    friend bool operator==(const PriorityDefaults &, const PriorityDefaults &) = default;
};

// One of the eight links (ID 0..7): the capcode text as typed (several joined by "," after a
// download) and the linked priority's list position (-1 = nothing selected).
struct LinkEntry {
    QString capcode;
    qint16 priority = -1;
    friend bool operator==(const LinkEntry &, const LinkEntry &) = default;
};

// The editable values, read from the main window's controls at the moment they are needed.
struct ConfigValues {
    std::array<PriorityDefaults, PriorityCount> priorities;
    std::array<LinkEntry, LinkCount> links;
    qint16 autoId = 0;  // check value 0/1
    QString userCommand;
    friend bool operator==(const ConfigValues &, const ConfigValues &) = default;
};

// What the sign is last known to hold. Its shape differs from ConfigValues on purpose: the
// timeout is a number (compared numerically) and a link's priority a decimal text ("" = 0).
struct PriorityBaseline {
    qint16 font = 0, style = 0, color = 0, speed = 0, alignment = 0, pause = 0, beep = 0;
    qint16 timeout = 0;
    friend bool operator==(const PriorityBaseline &, const PriorityBaseline &) = default;
};

struct LinkBaseline {
    QString capcode;
    QString priority;
    friend bool operator==(const LinkBaseline &, const LinkBaseline &) = default;
};

struct Baseline {
    std::array<PriorityBaseline, PriorityCount> priorities;
    std::array<LinkBaseline, LinkCount> links;
    qint16 autoId = 0;
    QString userCommand;
    friend bool operator==(const Baseline &, const Baseline &) = default;
};

// One flag per uploadable item: set when the item must be sent to the sign.
struct ChangeFlags {
    std::array<bool, PriorityCount> priorityChanged{};
    std::array<bool, LinkCount> linkChanged{};
    bool autoIdChanged = false;
    bool userCmdChanged = false;

    void setAll();
    int countSet() const;  // how many items are flagged
    bool any() const { return countSet() > 0; }

    // The flag of upload item `item` (IdModeItem and the others above); an item outside
    // 0..UploadItemCount-1 is never flagged and cannot be set.
    bool item(int item) const;
    void setItem(int item, bool flagged);
    QList<int> items() const;  // the flagged items, in upload order
    ChangeFlags &operator|=(const ChangeFlags &more);

    friend bool operator==(const ChangeFlags &, const ChangeFlags &) = default;
};

// The main window's one sign configuration, apart from the editable values that its controls
// hold: baseline, flags, the default message kept for the .led file, the name of the file
// opened last, and the command texts built when an upload starts.
struct SignConfig {
    Baseline baseline;
    ChangeFlags flags;

    QString DefMsg;
    qint16 DefFont = 0, DefColor = 0, DefStyle = 0, DefAlign = 0, DefSpeed = 0, DefPause = 0;
    QString configFileName;

    std::array<QString, UploadCommandCount> uploadCommands;
};

// Compares the current values with the baseline, copies every differing value into the
// baseline and flags its item, and returns the count the upload tests for zero: links changed
// (capcode and priority each count), priority rows flagged (now or earlier), the ID mode
// changed now, and the user command flagged (now or earlier).
qint16 getChangedRows(const ConfigValues &current, Baseline &baseline, ChangeFlags &flags);

} // namespace config
