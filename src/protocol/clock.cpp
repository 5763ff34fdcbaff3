#include "protocol/clock.h"

using namespace Qt::Literals::StringLiterals;

namespace protocol {

namespace {

QString twoDigits(int value) { return u"%1"_s.arg(value, 2, 10, QChar(u'0')); }

} // namespace

QString setClockCommand(const QDateTime &now)
{
    const QDate date = now.date();
    const QTime time = now.time();
    // Qt counts Monday as 1 and Sunday as 7; the sign counts from Sunday as 0.
    const int weekday = date.dayOfWeek() % 7;
    return u"<Time time="_s + twoDigits(time.hour()) + u':' + twoDigits(time.minute()) + u':'
        + twoDigits(time.second()) + u" date="_s + QString::number(date.year()) + u'/' + twoDigits(date.month())
        + u'/' + twoDigits(date.day()) + u'-' + QString::number(weekday) + u">SET TIME"_s;
}

QString clockDisplayText(const QDateTime &now, const QLocale &locale)
{
    // The long time format is the one with seconds; the label ticks every second. Its time
    // zone part ("t") says nothing here and is left out.
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(u't');
    return locale.toString(now.date(), QLocale::ShortFormat) + u' ' + locale.toString(now.time(), timeFormat.trimmed());
}

} // namespace protocol
