// The command line's reader of a configuration given as JSON (write --json-input), fed with
// any bytes: it takes an object whole or refuses it with one line that names a key, and what
// it takes, laid over a sign's configuration for any model, changes only what it names, keeps
// every position inside the model's lists, can be uploaded without a refusal, and gives the
// same configuration when laid over it again.

#include "ledcommon.h"

#include "cli/jsoninput.h"
#include "config/catalogue.h"
#include "session/configsession.h"
#include "session/shownvalues.h"

#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace {

const QStringList Models{u"RW2290"_s, u"KT420"_s, u"QB7"_s, u"PN360"_s, u"unknown"_s};

// A sign's configuration as read: positions inside every list of `model`, a link or two.
config::LedFileRecord seedFor(const QString &model, const config::ModelOptionSet &lists, std::uint32_t knobs)
{
    config::LedFileRecord seed;
    seed.model = model;
    for (int n = 0; n < config::PriorityCount; ++n) {
        for (const config::Attribute attribute : config::AllAttributes) {
            const qsizetype size = config::attributeOf(lists, attribute).size();
            config::attributeOf(seed.priorities[n], attribute) = size > 0 ? qint16((knobs >> n) % size) : -1;
        }
        seed.priorities[n].timeout = QString::number(10 * (n + 1));
    }
    seed.links[knobs % config::LinkCount] = {u"5550001"_s, qint16(knobs % config::PriorityCount)};
    seed.links[(knobs >> 3) % config::LinkCount] = {u"5550002,5550003"_s, -1};
    seed.autoId = qint16(knobs & 1);
    return seed;
}

bool named(const cli::JsonInput &input, int priority)
{
    return std::any_of(input.priorities.cbegin(), input.priorities.cend(),
                       [priority](const cli::PriorityInput &p) { return p.priority == priority; });
}

bool linkNamed(const cli::JsonInput &input, int id)
{
    return std::any_of(input.links.cbegin(), input.links.cend(), [id](const cli::LinkInput &l) { return l.id == id; });
}

void checkTaken(const cli::JsonInput &input, std::uint32_t knobs, const fuzz::Detail &detail)
{
    static const QRegularExpression digits(u"^[0-9]+$"_s);
    for (const cli::PriorityInput &p : input.priorities) {
        FUZZ_CHECK(p.priority >= 0 && p.priority < config::PriorityCount, detail);
        if (p.timeout)
            FUZZ_CHECK(!session::ConfigSession::timeoutRefusal(p.priority, *p.timeout), detail);
        for (const std::optional<cli::ChoiceInput> &choice : p.attributes)
            FUZZ_CHECK(!choice || ((choice->position || choice->label) && choice->position.value_or(0) >= 0), detail);
    }
    for (const cli::LinkInput &l : input.links) {
        FUZZ_CHECK(l.id >= 0 && l.id < config::LinkCount, detail);
        FUZZ_CHECK(!l.priority || (*l.priority >= 0 && *l.priority < config::PriorityCount), detail);
        if (l.capcodes) {
            for (const QString &capcode : *l.capcodes)
                FUZZ_CHECK(digits.match(capcode).hasMatch() && capcode.count(u'0') < capcode.size(), detail);
            FUZZ_CHECK(!session::ConfigSession::capcodeRefusal(l.id, l.capcodes->join(u',')), detail);
        }
    }

    for (const QString &model : Models) {
        const config::ModelOptionSet lists = config::SelectOptionSet(model, config::OptionWindow::Main);
        const config::LedFileRecord seed = seedFor(model, lists, knobs);
        const cli::JsonInput::Applied applied = input.appliedOver(seed, model, lists);
        FUZZ_CHECK(applied.record.has_value() == applied.error.isEmpty(), detail);
        if (!applied.record) {
            FUZZ_CHECK(applied.error.startsWith(u"priorities["_s) || applied.error.startsWith(u"links["_s), detail);
            FUZZ_CHECK(!applied.error.contains(u'\n') && !applied.error.contains(u'\r'), detail);
            continue;
        }
        const config::LedFileRecord &record = *applied.record;
        const fuzz::Detail more = [&] { return detail + u"\n     model "_s + model + u"\n     record "_s + fuzz::shown(record); };
        for (int n = 0; n < config::PriorityCount; ++n) {
            if (!named(input, n))
                FUZZ_CHECK(record.priorities[n] == seed.priorities[n], more);
            for (const config::Attribute attribute : config::AllAttributes) {
                const qint16 position = config::attributeOf(record.priorities[n], attribute);
                FUZZ_CHECK(position == config::attributeOf(seed.priorities[n], attribute)
                               || (position >= 0 && position < config::attributeOf(lists, attribute).size()),
                           more);
            }
        }
        for (int i = 0; i < config::LinkCount; ++i)
            if (!linkNamed(input, i))
                FUZZ_CHECK(record.links[i] == seed.links[i], more);
        FUZZ_CHECK(input.autoId || record.autoId == seed.autoId, more);
        FUZZ_CHECK(record.model == seed.model && record.DefMsg == seed.DefMsg, more);

        const std::optional<QString> refusal =
            session::ConfigSession::uploadRefusal(session::valuesFromRecord(record, {}));
        FUZZ_CHECK(!refusal, more + u"\n     refused "_s + refusal.value_or(QString()));
        const cli::JsonInput::Applied again = input.appliedOver(record, model, lists);
        FUZZ_CHECK(again.record == applied.record, more);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const fuzz::Detail detail = [&] { return u"bytes "_s + fuzz::shown(QString::fromUtf8(bytes)); };

    const cli::JsonInputResult result = cli::parseJsonInput(bytes);
    FUZZ_CHECK(result.input.has_value() == result.error.isEmpty(), detail);
    if (!result.input) {
        // One line on standard error, whatever the input held.
        FUZZ_CHECK(!result.error.contains(u'\n') && !result.error.contains(u'\r'), detail + u"\n     said "_s + result.error);
        FUZZ_CHECK(result.error.contains(u": "_s), detail + u"\n     said "_s + result.error);
        return 0;
    }
    checkTaken(*result.input, fuzz::hashOf(data, size), detail);
    return 0;
}
