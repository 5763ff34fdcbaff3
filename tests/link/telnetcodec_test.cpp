// The telnet layer of an RFC 2217 connection: the sign's bytes must pass unchanged both ways,
// telnet commands never reach the data, and the server's line is set to 9600 8N1 or the
// opening fails with a reason.
#include "link/comportcontrol.h"
#include "link/telnetcodec.h"

#include <gtest/gtest.h>

namespace {

using namespace signlink::telnet;
using signlink::ComPortControl;

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out += char(v);
    return out;
}

// A codec that takes binary and suppress-go-ahead from the peer and offers binary itself.
TelnetCodec plainCodec()
{
    return TelnetCodec({Binary}, {Binary, SuppressGoAhead});
}

TEST(TelnetEncoding, OptionCommandsAndSubnegotiations)
{
    EXPECT_EQ(command(WILL, ComPort), bytes({255, 251, 44}));
    EXPECT_EQ(command(DONT, Echo), bytes({255, 254, 1}));
    // SET-BAUDRATE 9600 and a payload with 0xFF in it, which must be doubled inside SB too.
    EXPECT_EQ(subnegotiation(ComPort, bytes({1, 0, 0, 0x25, 0x80})), bytes({255, 250, 44, 1, 0, 0, 0x25, 0x80, 255, 240}));
    EXPECT_EQ(subnegotiation(ComPort, bytes({1, 0, 0, 0xFF, 0xFF})),
              bytes({255, 250, 44, 1, 0, 0, 255, 255, 255, 255, 255, 240}));
}

TEST(TelnetEncoding, EveryByteSurvivesTheRoundTripSplitAnywhere)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    all += bytes({255, 255, 13, 0, 13, 10});
    const QByteArray wire = escape(all);
    EXPECT_EQ(wire.count(char(255)), 2 * all.count(char(255)));
    for (qsizetype cut = 0; cut <= wire.size(); ++cut) {
        TelnetCodec codec = plainCodec();
        const TelnetCodec::Decoded first = codec.feed(wire.left(cut));
        const TelnetCodec::Decoded second = codec.feed(wire.mid(cut));
        ASSERT_EQ(first.data + second.data, all) << "cut at " << cut;
        EXPECT_TRUE(first.replies.isEmpty() && second.replies.isEmpty());
    }
}

TEST(TelnetDecoding, SubnegotiationSplitAcrossReadsComesWholeAndApart)
{
    const QByteArray stream = QByteArray("ab") + bytes({255, 250, 44, 107, 255, 255, 0x30, 255, 240}) + "cd";
    for (qsizetype cut = 0; cut <= stream.size(); ++cut) {
        for (qsizetype cut2 = cut; cut2 <= stream.size(); ++cut2) {
            TelnetCodec codec = plainCodec();
            QByteArray data;
            QList<TelnetCodec::SubNegotiation> subs;
            for (const QByteArray &part : {stream.left(cut), stream.mid(cut, cut2 - cut), stream.mid(cut2)}) {
                const TelnetCodec::Decoded d = codec.feed(part);
                data += d.data;
                subs += d.subnegotiations;
            }
            ASSERT_EQ(data, QByteArray("abcd")) << cut << "/" << cut2;
            ASSERT_EQ(subs.size(), 1);
            EXPECT_EQ(subs[0], (TelnetCodec::SubNegotiation {44, bytes({107, 255, 0x30})}));
        }
    }
}

struct Garbage {
    const char *name;
    QByteArray input;
    QByteArray data;     // what reaches the sign's reader
    QByteArray replies;  // what the tool answers
};

class TelnetGarbage : public ::testing::TestWithParam<Garbage> {};

TEST_P(TelnetGarbage, NeverLeaksIntoTheDataAndIsAnsweredPolitely)
{
    TelnetCodec codec = plainCodec();
    const TelnetCodec::Decoded d = codec.feed(GetParam().input);
    EXPECT_EQ(d.data.toHex(' '), GetParam().data.toHex(' '));
    EXPECT_EQ(d.replies.toHex(' '), GetParam().replies.toHex(' '));
}

INSTANTIATE_TEST_SUITE_P(
    Streams, TelnetGarbage,
    ::testing::Values(
        Garbage{"UnwantedOptionsAreRefused", QByteArray("a") + bytes({255, 251, 1, 255, 253, 1, 255, 251, 200, 255, 253, 201}) + "b",
                "ab", bytes({255, 254, 1, 255, 252, 1, 255, 254, 200, 255, 252, 201})},
        Garbage{"WantedOptionIsTakenOnceAndNotAnsweredAgain", bytes({255, 251, 0, 255, 251, 0, 255, 253, 0, 255, 253, 0}), "",
                bytes({255, 253, 0, 255, 251, 0})},
        Garbage{"RefusalOfWhatIsOffIsNotAnswered", bytes({255, 252, 0, 255, 254, 0, 255, 252, 77}), "", ""},
        Garbage{"OptionTurnedOffIsAcknowledged", bytes({255, 251, 3, 255, 252, 3}), "", bytes({255, 253, 3, 255, 254, 3})},
        Garbage{"CommandsWithoutMeaningAreDropped", QByteArray("x") + bytes({255, 241, 255, 249, 255, 242, 255, 243, 255, 246}) + "y",
                "xy", ""},
        Garbage{"NoTelnetCommandAfterIacIsDroppedWithIt", QByteArray("x") + bytes({255, 1, 255, 200}) + "y", "xy", ""},
        Garbage{"StraySubnegotiationEnd", QByteArray("x") + bytes({255, 240}) + "y", "xy", ""},
        Garbage{"UnwantedSubnegotiationStaysOut", QByteArray("x") + bytes({255, 250, 24, 1, 'v', 't', 255, 240}) + "y", "xy", ""},
        Garbage{"CommandInsideSubnegotiationBreaksItOff", QByteArray("x") + bytes({255, 250, 44, 1, 0, 255, 251, 1}) + "y", "xy",
                bytes({255, 254, 1})},
        Garbage{"UnendedSubnegotiationSwallowsTheRest", QByteArray("x") + bytes({255, 250, 44, 1}) + "no leak\r\n", "x", ""},
        Garbage{"OverlongSubnegotiationEndsTheDecoding",
                QByteArray("x") + bytes({255, 250, 44}) + QByteArray(TelnetCodec::MaxSubnegotiation + 1, 'z')
                    + bytes({255, 240}) + "y" + bytes({255, 251, 1}),
                "x", ""},
        Garbage{"RepeatedOffersOfUnwantedOptionsAreRefusedOnce",
                bytes({255, 251, 44, 255, 253, 44, 255, 251, 1, 255, 253, 3}).repeated(50) + "z", "z",
                bytes({255, 254, 44, 255, 252, 44, 255, 254, 1, 255, 252, 3})},
        Garbage{"OptionTurnedOnAndOffIsAnsweredAtEachChange",
                bytes({255, 251, 3, 255, 251, 3, 255, 252, 3, 255, 252, 3, 255, 251, 3}), "",
                bytes({255, 253, 3, 255, 254, 3, 255, 253, 3})},
        Garbage{"EscapedIacIsOneDataByte", QByteArray("x") + bytes({255, 255}) + "y", QByteArray("x") + bytes({255}) + "y", ""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TelnetDecoding, HoldsNoMoreThanTheLongestSubnegotiationAndNothingAfterIt)
{
    TelnetCodec codec = plainCodec();
    const QByteArray longest(TelnetCodec::MaxSubnegotiation, 'z');
    const TelnetCodec::Decoded whole = codec.feed(bytes({255, 250, 44}) + longest + bytes({255, 240}));
    ASSERT_EQ(whole.subnegotiations.size(), 1);
    EXPECT_EQ(whole.subnegotiations[0].payload, longest);
    EXPECT_EQ(codec.held(), 0);

    codec.feed(bytes({255, 250, 44}));
    for (qsizetype i = 0; i < TelnetCodec::MaxSubnegotiation; ++i) {
        codec.feed(QByteArray(1, 'z'));
        ASSERT_LE(codec.held(), TelnetCodec::MaxSubnegotiation);
    }
    EXPECT_FALSE(codec.overflowed());
    codec.feed(QByteArray(1, 'z'));
    EXPECT_TRUE(codec.overflowed());
    EXPECT_EQ(codec.held(), 0);
    // A broken peer's later bytes, however proper, are not read.
    const TelnetCodec::Decoded after = codec.feed(QByteArray("ok") + bytes({255, 251, 1, 255, 250, 44, 101, 255, 240}));
    EXPECT_TRUE(after.data.isEmpty() && after.replies.isEmpty() && after.subnegotiations.isEmpty());
}

TEST(TelnetNegotiation, RequestRefusedThenOfferedAgainIsAgreedOnce)
{
    TelnetCodec codec = plainCodec();
    EXPECT_EQ(codec.requestLocal(Binary), bytes({255, 251, 0}));
    EXPECT_EQ(codec.requestLocal(Binary), QByteArray());
    EXPECT_TRUE(codec.feed(bytes({255, 254, 0, 255, 254, 0})).replies.isEmpty());
    EXPECT_TRUE(codec.localRefused(Binary));
    EXPECT_FALSE(codec.localEnabled(Binary));
    // The peer changing its mind is a change of state, answered once; its repeat is not.
    EXPECT_EQ(codec.feed(bytes({255, 253, 0, 255, 253, 0})).replies, bytes({255, 251, 0}));
    EXPECT_TRUE(codec.localEnabled(Binary));
}

// What Debian's ser2net says on a telnet(rfc2217) port: its own offers first, then the modem
// state and the answers to the five settings.
const QByteArray SerialServerGreeting = bytes({255, 251, 3, 255, 253, 3, 255, 251, 1, 255, 254, 1, 255, 253, 0, 255, 251, 0, 255, 253, 44});
const QByteArray SerialServerAnswers = bytes({255, 250, 44, 107, 0, 255, 240, 255, 250, 44, 101, 0, 0, 0x25, 0x80, 255, 240,
                                              255, 250, 44, 102, 8, 255, 240, 255, 250, 44, 103, 1, 255, 240,
                                              255, 250, 44, 104, 1, 255, 240, 255, 250, 44, 105, 1, 255, 240});

TEST(ComPortControl, AsksForBinaryGoAheadAndTheComPortOptionThenTheLineSettings)
{
    ComPortControl control;
    EXPECT_EQ(control.start(), bytes({255, 251, 0, 255, 253, 0, 255, 251, 3, 255, 253, 3, 255, 251, 44}));
    EXPECT_EQ(control.status(), ComPortControl::Status::Negotiating);
    const ComPortControl::Received got = control.feed(SerialServerGreeting);
    // Echo is refused (the sign's commands must not come back as replies); the settings follow
    // the server's yes to the COM port option: 9600, 8, none, 1, no flow control.
    EXPECT_EQ(got.replies.toHex(' '),
              (bytes({255, 254, 1}) + subnegotiation(ComPort, bytes({1, 0, 0, 0x25, 0x80})) + subnegotiation(ComPort, bytes({2, 8}))
               + subnegotiation(ComPort, bytes({3, 1})) + subnegotiation(ComPort, bytes({4, 1}))
               + subnegotiation(ComPort, bytes({5, 1})))
                  .toHex(' '));
    EXPECT_EQ(control.status(), ComPortControl::Status::Negotiating);
    control.feed(SerialServerAnswers);
    EXPECT_EQ(control.status(), ComPortControl::Status::Ready);
    EXPECT_TRUE(control.failure().isEmpty());
}

TEST(ComPortControl, ReadyWhereverTheServerSplitsItsAnswersAndDataFollowsUnchanged)
{
    const QByteArray stream = SerialServerGreeting + SerialServerAnswers;
    for (qsizetype cut = 0; cut < stream.size(); ++cut) {
        ComPortControl control;
        control.start();
        control.feed(stream.left(cut));
        control.feed(stream.mid(cut));
        ASSERT_EQ(control.status(), ComPortControl::Status::Ready) << "cut at " << cut;
        // Later notifications from the server stay out of the sign's bytes.
        const ComPortControl::Received after = control.feed(bytes({255, 250, 44, 106, 0x60, 255, 240, 'o', 'k', 255, 255, '\n'}));
        EXPECT_EQ(after.data, QByteArray("ok\xFF\n"));
    }
    EXPECT_EQ(ComPortControl::encode(QByteArray("<UC>\xFF\r")), QByteArray("<UC>\xFF\xFF\r"));
}

struct Refusal {
    const char *name;
    QByteArray answer;  // replaces the server's answers
    const char *failure;
};

class ComPortRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(ComPortRefusal, FailsWithTheReason)
{
    ComPortControl control;
    control.start();
    control.feed(SerialServerGreeting + GetParam().answer);
    EXPECT_EQ(control.status(), ComPortControl::Status::Failed);
    EXPECT_EQ(control.failure(), QString::fromLatin1(GetParam().failure));
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ComPortRefusal,
    ::testing::Values(
        Refusal{"Baud19200", bytes({255, 250, 44, 101, 0, 0, 0x4B, 0x00, 255, 240}),
                "will not set the line to 9600 baud (it answered 19200 baud)"},
        Refusal{"BaudUnreadable", bytes({255, 250, 44, 101, 0x25, 255, 240}),
                "will not set the line to 9600 baud (it answered an unreadable baud rate)"},
        Refusal{"SevenDataBits", bytes({255, 250, 44, 102, 7, 255, 240}), "will not set the line to 8 data bits (it answered 7 data bits)"},
        Refusal{"EvenParity", bytes({255, 250, 44, 103, 3, 255, 240}), "will not set the line to no parity (it answered even parity)"},
        Refusal{"TwoStopBits", bytes({255, 250, 44, 104, 2, 255, 240}), "will not set the line to 1 stop bit (it answered 2 stop bits)"},
        Refusal{"HardwareFlowControl", bytes({255, 250, 44, 105, 3, 255, 240}),
                "will not set the line to no flow control (it answered hardware flow control)"},
        Refusal{"ComPortTakenBack", bytes({255, 254, 44}),
                "does not offer serial port control (RFC 2217); for a plain TCP server write tcp:// instead of rfc2217://"},
        Refusal{"BinaryTakenBack", bytes({255, 252, 0}), "will not pass the bytes unchanged (it refused telnet binary transmission)"},
        Refusal{"OverlongSubnegotiation", bytes({255, 250, 44, 101}) + QByteArray(300, 0),
                "broke the telnet protocol (it sent a sub-negotiation longer than 256 bytes)"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ComPortControl, ProtocolBrokenAfterTheSetUpFailsTheConnection)
{
    ComPortControl control;
    control.start();
    control.feed(SerialServerGreeting + SerialServerAnswers);
    ASSERT_EQ(control.status(), ComPortControl::Status::Ready);
    // An offer of what was agreed already, or refused already, changes nothing.
    EXPECT_TRUE(control.feed(SerialServerGreeting.repeated(3)).replies.isEmpty());
    EXPECT_EQ(control.status(), ComPortControl::Status::Ready);
    control.feed(bytes({255, 250, 44}) + QByteArray(TelnetCodec::MaxSubnegotiation + 1, 'x'));
    EXPECT_EQ(control.status(), ComPortControl::Status::Failed);
    EXPECT_EQ(control.failure(), QStringLiteral("broke the telnet protocol (it sent a sub-negotiation longer than 256 bytes)"));
}

TEST(ComPortControl, ServerWithoutTheComPortOptionOrBinaryIsRefused)
{
    ComPortControl noComPort;
    noComPort.start();
    noComPort.feed(bytes({255, 253, 0, 255, 251, 0, 255, 254, 44}));
    EXPECT_EQ(noComPort.status(), ComPortControl::Status::Failed);
    EXPECT_TRUE(noComPort.failure().startsWith(QStringLiteral("does not offer serial port control")));

    ComPortControl noBinary;
    noBinary.start();
    noBinary.feed(bytes({255, 254, 0}));
    EXPECT_EQ(noBinary.status(), ComPortControl::Status::Failed);
    EXPECT_TRUE(noBinary.failure().startsWith(QStringLiteral("will not pass the bytes unchanged")));
}

} // namespace
