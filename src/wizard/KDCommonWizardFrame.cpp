#include "wizard/KDCommonWizardFrame.h"

#include "project/KDProperties.h"

namespace kalido {

TKDProperties *TKDCommonWizardFrame::KDSettings() const
{
    auto *settings = qobject_cast<TKDProperties *>(Settings());
    if (!settings)
        throw EInvalidCast(QStringLiteral("Invalid class typecast"));
    return settings;
}

} // namespace kalido
