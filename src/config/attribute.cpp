#include "config/attribute.h"

namespace config {

QString attributeCaption(Attribute attribute)
{
    switch (attribute) {
    case Attribute::Font: return QStringLiteral("Font");
    case Attribute::Style: return QStringLiteral("Style");
    case Attribute::Color: return QStringLiteral("Color");
    case Attribute::Speed: return QStringLiteral("Speed");
    case Attribute::Alignment: return QStringLiteral("Align");
    case Attribute::Pause: return QStringLiteral("Pause");
    case Attribute::Beep: return QStringLiteral("Beep");
    }
    return {};
}

} // namespace config
