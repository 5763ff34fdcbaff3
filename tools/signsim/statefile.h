// The text form of a whole sign state, read by --config and written by --state.
//
// One "key=value" a line; blank lines and lines starting with "#" are skipped. Every key is
// optional when reading (a missing key keeps the factory value); an unknown or repeated key,
// or a value the sign could not hold, is refused. Written files hold every key, in this order:
//
//   model=RW2290                model identifier (no ',' or ':')
//   build=41                    build number; empty: the sign reports none
//   pri0=F,S,C,SP,A,P,B,T ...   pri0 to pri4: font, style, colour, speed, alignment, pause,
//                               beep as list positions, timeout in seconds
//   link0=PR:CAP1,CAP2 ...      link0 to link7: link priority and its capcodes; empty: no link
//   autoid=1                    1 auto ID, 0 user ID
//   usercmd=TEXT                user command
//   forceid0=0                  1 while all messages are forced to ID 0
//   defmsg=TEXT                 default message in stored form (\xAA line break,
//                               \xAB to \xB2 time fields 0 to 7)
//   defattrs=F,S,C,SP,A,P       its font, style, colour, speed, alignment, pause (-1 unset)
//   idle=0                      1 while the time shows on idle
//   idleattrs=F,S,C,SP,A,P,FMT  the values of the last time-on-idle command, FMT the format
//   clockoffset=SECONDS         how far the sign's clock runs ahead of the computer's
//   testmsg=TEXT                the last test message command as received; empty if none
//
// In TEXT values the bytes below 32, 127 and above, and "\" itself are written as \xNN.
#pragma once

#include "signstate.h"

#include <optional>
#include <string>
#include <string_view>

namespace signsim {

std::string formatState(const SignState& state);

// Reads text over base; on failure returns nullopt and says why in error.
std::optional<SignState> parseState(std::string_view text, SignState base, std::string& error);

// Writes a temporary file beside path and renames it over path, so a reader never sees half
// a file.
bool writeFileAtomically(const std::string& path, std::string_view contents, std::string& error);

std::optional<std::string> readWholeFile(const std::string& path, std::string& error);

}  // namespace signsim
