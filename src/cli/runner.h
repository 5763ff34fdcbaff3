#pragma once

#include "cli/cliargs.h"

#include <QTextStream>

namespace cli {

// Where the results and the progress go. Progress is shown only when `showProgress` (standard
// error is a terminal): a script reading standard output gets the results alone.
struct Streams {
    QTextStream &out;
    QTextStream &err;
    bool showProgress = false;
};

// Runs `options` (an event loop runs meanwhile) and returns the exit status: with several
// signs, the highest of theirs.
int run(const Options &options, Streams streams);

} // namespace cli
