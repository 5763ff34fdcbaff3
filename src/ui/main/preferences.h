#pragma once

#include <QSettings>

namespace ui {

// The tool's own settings file: $XDG_CONFIG_HOME/signconfig/signconfig.conf, beside the port map.
class Preferences final : public QSettings {
public:
    Preferences()
        : QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("signconfig"),
                    QStringLiteral("signconfig"))
    {
    }
};

} // namespace ui
