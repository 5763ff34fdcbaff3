// Reading the sign's configuration when its answer stops early but still ends like a whole
// line: what the session reports as missing, what it leaves as it was, and the check after an
// upload, which must not count such an answer as a confirmation.
#include "session/configsession.h"

#include "fakesignport.h"
#include "qtprinters.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using Kind = protocol::MissingPart::Kind;

// A KT420's whole dump: neutral priority rows, ID 0 in the first triple, ID 5 in the second,
// auto IDs and a user command.
QStringList wholeFields()
{
    QStringList fields;
    for (int n = 0; n < 5; ++n)
        fields << QStringLiteral("1") << QStringLiteral("1") << QStringLiteral("1") << QStringLiteral("1")
               << QStringLiteral("1") << QStringLiteral("1") << QStringLiteral("21") << QStringLiteral("50");
    fields << QStringLiteral("0") << QStringLiteral("1000") << QStringLiteral("0");
    fields << QStringLiteral("5") << QStringLiteral("5550005") << QStringLiteral("2");
    for (int j = 2; j < 16; ++j)
        fields << QStringLiteral("0") << QStringLiteral("0") << QStringLiteral("5");
    fields << QStringLiteral("1") << QStringLiteral("RESET");
    return fields;
}

QString dumpOf(int fields)
{
    return QStringLiteral("KT420,7:") + wholeFields().mid(0, fields).join(u',');
}

struct Cut {
    const char *name;
    int fields;
    QList<Kind> missing;
    const char *text;
};

class IncompleteRead : public ::testing::TestWithParam<Cut> {
protected:
    IncompleteRead()
    {
        auto fake = std::make_unique<testsupport::FakeSignPort>();
        port = fake.get();
        link = std::make_unique<signlink::SignLink>(std::move(fake));
        session = std::make_unique<session::ConfigSession>(*link, config, [this] { return values; });
    }

    testsupport::FakeSignPort *port = nullptr;
    std::unique_ptr<signlink::SignLink> link;
    config::SignConfig config;
    config::ConfigValues values;
    std::unique_ptr<session::ConfigSession> session;
};

TEST_P(IncompleteRead, NamesWhatIsMissingAndLeavesItAsItWas)
{
    // What an earlier read left: a sign on automatic IDs with ID 5 linked.
    config.baseline.autoId = 1;
    config.baseline.userCommand = QStringLiteral("REBOOT");
    config.baseline.links[5] = {QStringLiteral("5550005"), QStringLiteral("2")};
    QList<session::ReadConfiguration> reads;
    QList<session::ReadOutcome> ended;
    QObject::connect(session.get(), &session::ConfigSession::configurationRead,
                     [&](const session::ReadConfiguration &read) { reads << read; });
    QObject::connect(session.get(), &session::ConfigSession::readEnded,
                     [&](const session::ReadOutcome &outcome) { ended << outcome; });
    session->setEndReadAtDump(true);
    ASSERT_TRUE(session->startRead(1).ok());
    port->feedNow(dumpOf(GetParam().fields).toLatin1() + "\n");

    ASSERT_EQ(reads.size(), 1);
    const session::ReadConfiguration &read = reads.at(0);
    QList<Kind> kinds;
    for (const protocol::MissingPart &part : read.missing)
        kinds << part.kind;
    EXPECT_EQ(kinds, GetParam().missing);
    EXPECT_EQ(protocol::missingPartsText(read.missing), QString::fromLatin1(GetParam().text));
    // It is an answer all the same: the read is not reported as failed.
    ASSERT_EQ(ended.size(), 1);
    EXPECT_TRUE(ended.at(0).failureText().isEmpty());
    // What came is taken; what did not stays as the earlier read left it.
    EXPECT_EQ(config.baseline.priorities[4].font, GetParam().fields >= 40 ? 1 : 0);
    EXPECT_EQ(config.baseline.links[0].capcode, GetParam().fields >= 43 ? QStringLiteral("1000") : QString());
    EXPECT_EQ(config.baseline.links[5].capcode, QStringLiteral("5550005"));
    EXPECT_EQ(config.baseline.autoId, 1);
    EXPECT_EQ(config.baseline.userCommand, QStringLiteral("REBOOT"));
}

TEST_P(IncompleteRead, IsNoConfirmationOfAnUpload)
{
    // The upload meant what the whole dump says; the cut answer agrees as far as it goes.
    config::ConfigValues meant;
    for (config::PriorityDefaults &row : meant.priorities)
        row = {1, 1, 1, 1, 1, 1, 1, QStringLiteral("10")};
    meant.links[0] = {QStringLiteral("1000"), 0};
    meant.links[5] = {QStringLiteral("5550005"), 2};
    meant.autoId = 1;
    meant.userCommand = QStringLiteral("RESET");
    session::ReadBack whole;
    whole.comNumber = 1;
    whole.dump = protocol::readConfigDump(dumpOf(90));
    ASSERT_EQ(session::verifyReadBack(whole, meant).result, session::VerifyOutcome::Result::Verified);

    session::ReadBack cut = whole;
    cut.dump = protocol::readConfigDump(dumpOf(GetParam().fields));
    const session::VerifyOutcome outcome = session::verifyReadBack(cut, meant);
    EXPECT_EQ(outcome.result, session::VerifyOutcome::Result::NotVerified);
    EXPECT_EQ(outcome.text(), QStringLiteral("The upload was not verified: The sign's answer was incomplete: %1.")
                                  .arg(QString::fromLatin1(GetParam().text)));
    for (const config::ConfigDifference &d : outcome.differences)
        EXPECT_FALSE(d.onSign.has_value()) << d.text().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, IncompleteRead,
    ::testing::Values(Cut{"AfterTheLinkTriples", 88, {Kind::IdMode, Kind::UserCommand},
                          "the ID mode and the user command are missing"},
                      Cut{"AfterTheFirstTriple", 43, {Kind::Links, Kind::IdMode, Kind::UserCommand},
                          "the link triples 2 to 16, the ID mode and the user command are missing"},
                      Cut{"InsideThePriorities", 20,
                          {Kind::Priority, Kind::Priority, Kind::Priority, Kind::Links, Kind::IdMode, Kind::UserCommand},
                          "Priorities 2 to 4, the links, the ID mode and the user command are missing"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
