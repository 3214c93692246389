// Template definitions of WizardManager.h; the frame header is needed to finish a frame.
#pragma once

#include "wizard/CommonWizardFrame.h"

#include <QByteArray>
#include <type_traits>

namespace kalido {

template <class T> TFrameClass FrameClassOf()
{
    static_assert(std::is_base_of_v<TCommonWizardFrame, T>, "a page is a TCommonWizardFrame");
    QByteArray name = T::staticMetaObject.className();
    if (const qsizetype colons = name.lastIndexOf("::"); colons >= 0)
        name = name.mid(colons + 2);
    return TFrameClass{QString::fromLatin1(name), [](QWidget *owner) -> TCommonWizardFrame * {
                           auto *frame = new T(owner);
                           try {
                               frame->FinishConstruction();
                           } catch (...) {
                               delete frame;
                               throw;
                           }
                           return frame;
                       }};
}

} // namespace kalido
