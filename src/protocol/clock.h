#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace protocol {

// Setting the sign's clock from the computer's. Both take one reading of the local clock, so
// that the date, time and weekday sent belong together even at a second boundary.

// "<Time time=HH:MM:SS date=YYYY/MM/DD-W>SET TIME": hour, minute, second, month and day in two
// digits, the year as it is, the weekday from Sunday = 0 to Saturday = 6.
QString setClockCommand(const QDateTime &now);

// The clock label's text: the short date and the time with seconds in the locale's format.
QString clockDisplayText(const QDateTime &now, const QLocale &locale = QLocale::system());

} // namespace protocol
