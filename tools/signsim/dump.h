// The two reports the sign sends on request: the configuration dump and the default-message
// dump, both as one line without its terminator.
#pragma once

#include "signstate.h"

#include <string>

namespace signsim {

// MODEL[,BUILD]:90 fields. Priority values go out in the model's value form (offsets added,
// timeout times 5), then 16 link triples "ID,CAPCODE,PRIORITY" ("0,0,5" for unused slots),
// the ID mode ("1" auto) and the user command.
std::string configurationDump(const SignState& state);

// MODEL:FONT,STYLE,COLOR,SPEED,ALIGN,PAUSE,X,Y,TEXT with the text in stored form.
std::string defaultMessageDump(const SignState& state);

}  // namespace signsim
