#include "store/XmlIni.h"

namespace kalido {

EXMLIniFailure::EXMLIniFailure() : Exception(QStringLiteral("Unexpected failure in the settings store")) {}

} // namespace kalido
