#pragma once

#include "config/attribute.h"
#include "config/catalogue.h"
#include "config/ledfile.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace cli {

// Parts of a configuration given as JSON on standard input (write --json-input): the shape of
// the "configuration" object of read --json, where every part may be left out. What is left
// out stays as the sign holds it. Everything that can be checked without the sign is checked
// when it is read; labels and list positions only once the sign's model is known.

// A list choice: a position, a label as the main window lists it for the sign's model, or both
// (then they must name the same entry).
struct ChoiceInput {
    QString keyPath;  // "priorities[0].font", for messages
    std::optional<int> position;
    std::optional<QString> label;
};

struct PriorityInput {
    int priority = 0;
    std::array<std::optional<ChoiceInput>, config::AllAttributes.size()> attributes;  // in AllAttributes order
    std::optional<QString> timeout;  // a whole number, in decimal
};

struct LinkInput {
    QString keyPath;  // "links[1]"
    int id = 0;
    std::optional<QStringList> capcodes;  // empty: the link is removed
    std::optional<int> priority;
};

struct JsonInput {
    QList<PriorityInput> priorities;
    QList<LinkInput> links;
    std::optional<bool> autoId;

    // What the sign is meant to hold: `seed` (the sign's values as read) with what is given
    // taken over, labels and positions looked up in `lists` (the main window's for `model`).
    // Fails, naming the key, the value and the model's choices, when one is not in its list,
    // or when a link priority is given for an ID that has no capcode on either side.
    struct Applied {
        std::optional<config::LedFileRecord> record;
        QString error;
    };
    Applied appliedOver(config::LedFileRecord seed, const QString &model, const config::ModelOptionSet &lists) const;
};

struct JsonInputResult {
    std::optional<JsonInput> input;
    QString error;  // "priorities[0].timeout: \"x\" is no whole number"
};

// The most standard input may hold: far more than any configuration needs.
inline constexpr qsizetype LargestJsonInput = 64 * 1024;

// Reads and checks one JSON object.
JsonInputResult parseJsonInput(const QByteArray &bytes);

} // namespace cli
