#include "options.h"

#include "bytes.h"

#include <limits>

namespace signsim {

std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string& error)
{
    Options o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> inlineValue;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
        }
        const auto value = [&]() -> std::optional<std::string> {
            if (inlineValue)
                return inlineValue;
            if (i + 1 < args.size())
                return args[++i];
            error = name + " needs a value";
            return std::nullopt;
        };
        const auto flag = [&](bool& target) {
            if (inlineValue) {
                error = name + " takes no value";
                return false;
            }
            target = true;
            return true;
        };
        if (name == "--help" || name == "-h") {
            if (!flag(o.help))
                return std::nullopt;
        } else if (name == "--pace") {
            if (!flag(o.paced))
                return std::nullopt;
        } else if (name == "--crlf") {
            if (!flag(o.crlf))
                return std::nullopt;
        } else if (name == "--silent") {
            if (!flag(o.silent))
                return std::nullopt;
        } else if (name == "--echo") {
            if (!flag(o.echo))
                return std::nullopt;
        } else if (name == "--noise") {
            const auto v = value();
            if (!v)
                return std::nullopt;
            const auto bytes = parseHexBytes(*v);
            if (!bytes) {
                error = "--noise needs bytes as pairs of hexadecimal digits, e.g. 00FFFF";
                return std::nullopt;
            }
            o.noise = *bytes;
        } else if (name == "--no-build") {
            bool noBuild = false;
            if (!flag(noBuild))
                return std::nullopt;
            o.build.reset();
            o.buildGiven = true;
        } else if (name == "--model") {
            const auto v = value();
            if (!v)
                return std::nullopt;
            o.model = *v;
            o.modelGiven = true;
        } else if (name == "--build") {
            const auto v = value();
            if (!v)
                return std::nullopt;
            if (v->empty() || !isAllDigits(*v)) {
                error = "--build needs a number";
                return std::nullopt;
            }
            o.build = *v;
            o.buildGiven = true;
        } else if (name == "--dump-text") {
            const auto v = value();
            if (!v)
                return std::nullopt;
            o.dumpText = unescapeBytes(*v);
            if (!o.dumpText || o.dumpText->find('\n') != std::string::npos) {
                error = "--dump-text needs one line, bytes written \\xNN, no LF";
                return std::nullopt;
            }
        } else if (name == "--babble-text") {
            const auto v = value();
            if (!v)
                return std::nullopt;
            o.babbleText = unescapeBytes(*v);
            if (!o.babbleText || o.babbleText->empty()) {
                error = "--babble-text needs bytes, written \\xNN where not printable";
                return std::nullopt;
            }
        } else if (name == "--dump-pause" || name == "--babble") {
            const auto v = value();
            if (!v)
                return std::nullopt;
            const bool babble = name == "--babble";
            const int most = babble ? 60'000 : 600'000;
            const auto ms = parseIntIn(*v, 1, most);
            if (!ms) {
                error = name + " needs milliseconds from 1 to " + std::to_string(most);
                return std::nullopt;
            }
            (babble ? o.babbleMs : o.dumpPauseMs) = *ms;
        } else if (name == "--hangup-after" || name == "--dump-after" || name == "--hangup-in-dump"
            || name == "--drop-item" || name == "--corrupt-item" || name == "--refuse-from") {
            const auto v = value();
            if (!v)
                return std::nullopt;
            const auto n = parseIntIn(*v, 1, std::numeric_limits<int>::max());
            if (!n) {
                error = name + " needs a count of 1 or more";
                return std::nullopt;
            }
            (name == "--hangup-after"     ? o.hangupAfter
                    : name == "--dump-after"     ? o.dumpAfter
                    : name == "--hangup-in-dump" ? o.hangupInDump
                    : name == "--drop-item"      ? o.dropItem
                    : name == "--refuse-from"    ? o.refuseFrom
                                                 : o.corruptItem)
                = *n;
        } else if (name == "--tcp") {
            const auto v = value();
            if (!v)
                return std::nullopt;
            o.tcpPort = parseIntIn(*v, 0, 65535);
            if (!o.tcpPort) {
                error = "--tcp needs a port from 0 to 65535";
                return std::nullopt;
            }
        } else if (name == "--link" || name == "--config" || name == "--state") {
            const auto v = value();
            if (!v)
                return std::nullopt;
            if (v->empty()) {
                error = name + " needs a path";
                return std::nullopt;
            }
            (name == "--link" ? o.linkPath : name == "--config" ? o.configPath : o.statePath) = *v;
        } else {
            error = "unknown option " + args[i];
            return std::nullopt;
        }
    }
    if (o.babbleText && o.babbleMs == 0) {
        error = "--babble-text needs --babble";
        return std::nullopt;
    }
    // A dropped command is never carried out, so there would be nothing to alter.
    if (o.dropItem > 0 && o.dropItem == o.corruptItem) {
        error = "--drop-item and --corrupt-item name the same command";
        return std::nullopt;
    }
    return o;
}

std::string usageText()
{
    return R"(usage: signsim [options]

A simulated LED sign on a pseudo-terminal. The first line printed is the path of the
serial device to open (with --tcp, the address: tcp://127.0.0.1:PORT); after it every
received command ("< "), every line sent ("> ") and the sign's own notes ("# ") follow.
SIGINT or SIGTERM end it cleanly.

Options:
  --model NAME       model the sign reports (default RW2290; KT420, QB7, RW2290, PN360
                     or any other name, which is a standard model)
  --build N          build number in the configuration dump header (default 41)
  --no-build         a header without build number
  --link PATH        also make PATH a symbolic link to the device (parent folders are
                     created, an old link is replaced, the link is removed on exit), e.g.
                     --link ~/.config/signconfig/ports/COM1; with --tcp, PATH becomes a
                     file holding the address instead, as a port map entry for a network
                     sign (an old link or file there is replaced)
  --tcp PORT         be a sign behind a raw TCP serial device server instead: listen
                     on 127.0.0.1:PORT (0: a free port, shown on the first line) for
                     one client at a time; a second client is let in by the system but
                     waits, unanswered, until the first has gone. All else works as on
                     the pseudo-terminal; hanging up closes the client's connection
  --config FILE      start from the configuration in FILE (format below) instead of the
                     factory configuration; --model, --build and --no-build override it
  --state FILE       keep FILE holding the whole current configuration (same format),
                     rewritten at start and after every command that changes anything
  --pace             send at the real 9600 baud (8N1, about 1.04 ms a byte)
  --crlf             end reply lines with CR LF instead of LF
  --silent           never answer (commands are still carried out and shown); nothing
                     is sent at all, echoes and unasked dumps included
  --echo             send every command back as received, with its CR and before its
                     answer, as signs with a local echo do: DOWNLOAD_ALL\r before the dump
  --noise HEX        send these bytes (pairs of hexadecimal digits, e.g. 00FFFF) right
                     in front of every configuration dump, asked for or not
  --dump-after N     after the Nth command (of any kind, DOWNLOAD_ALL too, counted over
                     the whole run) has been carried out and answered, or dropped, also
                     send the configuration dump unasked, once, as it stands then
  --dump-text LINE   send LINE (one line, bytes written \xNN as in the files below) in
                     place of every configuration dump, whatever the sign holds
  --dump-pause MS    send every configuration dump in two halves with MS milliseconds
                     (1 to 600000) of silence between them; what the sign says after
                     it waits its turn
  --babble MS        while someone has the port open, send unasked output every MS
                     milliseconds (1 to 60000): the line "babble N", N counting from 1
                     over the whole run. Output goes only when nothing else waits to go
                     out, so a reader that does not keep up gets less, not later. Not
                     shown in the log line by line; the count is noted when the port
                     closes
  --babble-text BYTES  with --babble: send BYTES (\xNN for bytes that are not printable)
                     as they are instead; without a \x0A in them, they make one endless
                     line, e.g. --babble-text '\xFF\x00\xAA' for a binary flood
  --hangup-after N   after the Nth command is received and shown, and before it is
                     carried out or answered, close the line like an unplugged cable
                     and exit with status 0
  --hangup-in-dump N send only the first half of the Nth configuration dump (asked for
                     or not, counted from 1 over the whole run), then close the line
                     like an unplugged cable and exit with status 0
  --drop-item N      ignore the Nth configuration command (below) as if it never came:
                     nothing stored, no answer
  --corrupt-item N   carry out the Nth configuration command and answer as usual, but
                     store another value for it (below); not the same N as --drop-item
  --refuse-from N    answer "error" to the Nth configuration command and to every one
                     after it, and carry none of them out (a dropped one stays dropped)
  --help             this text

Commands are ended by CR; a LF is ignored, and so is an empty command. Replies that
would go out while nobody has the device open are lost, as on a real line. Commands of
more than 1024 bytes, malformed tags, values the model has no entry for, IDs outside
0-7, non-numeric values and more than 16 capcodes in all are answered "error" and
change nothing. Attributes must come in the order shown:
  <DF pr=N f= c= s= a= sp= p= b= t=>  done            <id=auto>      Auto ID
  <id=user>                 User ID                   <UC>TEXT       user cmd
  <link id=I cap=0>         delinked                  <FD>           done (factory)
  <link id=I cap=K[,K..] pr=R>  linked I              DOWNLOAD_ALL   configuration dump
  <FORCE id=0>              ID Forced : 0             <FORCE_ID_OFF> Force ID OFF
  <DF f= c= s= a= sp= p=>TEXT  default stored         <del id=def>   done
  <TIME>IDLE ON, <TIME>IDLE OFF, <TIME f= c= s= a= sp= p= fm=>IDLE ON
                            TIME:IDLE:1 or TIME:IDLE:0
  RESET                     done                      DOWNLOAD_DEFAULT_MSG  its dump
  <Time time=HH:MM:SS date=YYYY/MM/DD-W>SET TIME      done (sets the sign's clock)
  <id=I f= s= c= a= b= p= sp= t=>TEXT                 done (test message, shown decoded)
Configuration commands are <DF pr=..>, <id=auto>, <id=user>, <UC>.. and <link ..> (a
removal and the link after it are two), refused ones included, counted from 1 over the
whole run. --corrupt-item stores instead: for a priority row its colour moved to the next
entry of the model's list (the last to the first); the other ID mode; the user command
with X appended; for a link the last digit of its last capcode one up (9 down to 8); for
a removal the link as it was. A refused command is still refused.
Timeouts are 0 to 9999 seconds; capcodes 1 to 10 digits, not 0. Default-message, time
and test-message attributes may be -1 (unset).

Factory configuration (restored by <FD>; model, build and clock stay):
  priority  font style colour speed align pause beep timeout(s)
     0        1    1     1      1     1     1    1     10
     1        2    2     2      2     2     2    1     20
     2        3    3     3      3     1     3    2     30
     3        1    4     4      4     2     4    1     40
     4        2    5     5      1     1     5    2     50
  link ID 0: capcode 1000000 at priority 0; IDs 1-7 unlinked
  auto ID on, user command RESET, forced ID 0 off
  default message WELCOME, font/style/colour/speed/alignment/pause 1
  time on idle off (its values 1,1,1,1,1,1, format 0)

Configuration file (--config, --state): one key=value a line; blank lines and lines
starting with # are skipped; keys missing from --config keep their factory values;
unknown or repeated keys and values the sign could not hold are refused.
  model=RW2290
  build=41                    empty: no build number
  pri0=F,S,C,SP,A,P,B,T       pri0 to pri4: font, style, colour, speed, alignment,
                              pause, beep as list positions, timeout in seconds
  link0=PR:CAP1,CAP2          link0 to link7: priority and capcodes; empty: no link
  autoid=1                    1 auto ID, 0 user ID
  usercmd=TEXT
  forceid0=0                  1 while all messages are forced to ID 0
  defmsg=TEXT                 default message in stored form (\xAA line break,
                              \xAB to \xB2 time fields 0 to 7)
  defattrs=F,S,C,SP,A,P       its font, style, colour, speed, alignment, pause
  idle=0                      1 while the time shows on idle
  idleattrs=F,S,C,SP,A,P,FMT  values of the last time-on-idle command, FMT its format
  clockoffset=SECONDS         how far the sign's clock runs ahead of the computer's
  testmsg=TEXT                the last test message command; empty if none
In TEXT values bytes below 32, 127 and above, and "\" are written \xNN.
)";
}

}  // namespace signsim
