#pragma once

#include "wizard/CommonWizardFrame.h"

namespace kalido {

class TKDProperties;

// Base of the slideshow's pages: the wizard's settings object seen as the slideshow settings.
class TKDCommonWizardFrame : public TCommonWizardFrame
{
    Q_OBJECT

public:
    using TCommonWizardFrame::TCommonWizardFrame;

    // EInvalidCast when the frame is not placed or the settings are of another class.
    TKDProperties *KDSettings() const;
};

} // namespace kalido
